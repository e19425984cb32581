#include "ui/Tfopciones.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vemla::ui {

namespace {
QGroupBox* group(const QString& title, const QList<QWidget*>& items) {
  auto* box = new QGroupBox(title);
  auto* layout = new QVBoxLayout(box);
  for (QWidget* w : items) layout->addWidget(w);
  return box;
}

QCheckBox* check(const QString& text, bool on) {
  auto* c = new QCheckBox(text);
  c->setChecked(on);
  return c;
}

QWidget* page(const QList<QWidget*>& groups) {
  auto* p = new QWidget;
  auto* layout = new QVBoxLayout(p);
  for (QWidget* g : groups) layout->addWidget(g);
  layout->addStretch();
  return p;
}
}  // namespace

Tfopciones::Tfopciones(QWidget* parent) : QDialog(parent) {
  setObjectName("fopciones");
  setWindowTitle("Preferencias");
  setModal(false);
}

void Tfopciones::setVisible(bool visible) {
  if (visible) BuildControls();
  QDialog::setVisible(visible);
}

// Made when first shown: laying them out is no work for start-up.
void Tfopciones::BuildControls() {
  if (layout()) return;
  auto* tabs = new QTabWidget(this);
  auto* minimize = new QRadioButton("Minimizar a la bandeja del sistema");
  minimize->setChecked(true);
  tabs->addTab(page({group("Icono de la bandeja",
                           {check("Mostrar icono en la bandeja del sistema", true), minimize,
                            new QRadioButton("Minimizar a la barra de tareas")})}),
               "Bandeja");
  tabs->addTab(page({group("General", {check("Permitir más de una Instancia del Programa", true),
                                       check("Recordar la lista de canciones al salir", true),
                                       check("Recordar la posición de las ventanas", true)})}),
               "General");
  tabs->addTab(page({group("Asociar archivos",
                           {check("MP3", false), check("OGG", false), check("WAV", false),
                            check("WMA", false), check("M3U", false)})}),
               "Archivos");
  auto* language = new QComboBox;
  language->addItem("Español");
  tabs->addTab(page({group("Idioma", {language})}), "Idioma");

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton("Aceptar", QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton("Cancelar", QDialogButtonBox::RejectRole);
  connect(ok, &QPushButton::clicked, this, &QDialog::hide);
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addWidget(buttons);
}

}  // namespace vemla::ui
