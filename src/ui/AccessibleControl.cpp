#include "ui/AccessibleControl.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace vemla::ui {

namespace {

// Kept as a child of the widget, so the traits go with it.
class TraitsHolder : public QObject {
 public:
  TraitsHolder(QWidget* owner, AccessibleTraits t) : QObject(owner), traits(std::move(t)) {
    setObjectName(QStringLiteral("vemla_accessible_traits"));
  }
  AccessibleTraits traits;
};

TraitsHolder* holderOf(const QWidget* w) {
  if (!w) return nullptr;
  for (QObject* o : w->children()) {
    if (auto* h = dynamic_cast<TraitsHolder*>(o)) return h;
  }
  return nullptr;
}

int maximumOf(const AccessibleTraits& t) {
  return t.maximum ? std::max(t.minimum, t.maximum()) : t.minimum;
}

class AccessibleControl : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit AccessibleControl(QWidget* w) : QAccessibleWidget(w) {}

  const AccessibleTraits* traits() const { return accessibleTraits(widget()); }

  QAccessible::Role role() const override {
    const AccessibleTraits* t = traits();
    return t ? t->role : QAccessibleWidget::role();
  }

  QString text(QAccessible::Text kind) const override {
    const AccessibleTraits* t = traits();
    QWidget* w = widget();
    switch (kind) {
      case QAccessible::Name: {
        if (t && t->name) return t->name();
        if (!w->accessibleName().isEmpty()) return w->accessibleName();
        if (!w->toolTip().isEmpty()) return w->toolTip();
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
        return {};
      }
      case QAccessible::Description:
        if (t && t->description) return t->description();
        return w->accessibleDescription();
      case QAccessible::Value:
        if (t && t->valueText) return t->valueText();
        if (t && t->value) return QString::number(t->value());
        return {};
      default:
        return QAccessibleWidget::text(kind);
    }
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    const AccessibleTraits* t = traits();
    if (t && t->checked) {
      s.checkable = true;
      s.checked = t->checked();
    }
    return s;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    const AccessibleTraits* t = traits();
    if (type == QAccessible::ValueInterface && t && t->value) {
      return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  // ---- Actions ----
  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    const AccessibleTraits* t = traits();
    if (t && t->press) names.prepend(pressAction());
    if (t && t->value && t->setValue) names << increaseAction() << decreaseAction();
    return names;
  }

  void doAction(const QString& action) override {
    const AccessibleTraits* t = traits();
    if (action == pressAction() && t && t->press) {
      if (widget()->isEnabled()) {
        // The action may destroy the widget (closing a window): keep a copy of the callback.
        const std::function<void()> press = t->press;
        press();
      }
      return;
    }
    if ((action == increaseAction() || action == decreaseAction()) && t && t->value) {
      const int now = t->value();
      setCurrentValue(action == increaseAction() ? now + t->step : now - t->step);
      return;
    }
    QAccessibleWidget::doAction(action);
  }

  QStringList keyBindingsForAction(const QString& action) const override {
    if (action == pressAction()) return {};
    return QAccessibleWidget::keyBindingsForAction(action);
  }

  // ---- Value ----
  QVariant currentValue() const override {
    const AccessibleTraits* t = traits();
    return t && t->value ? QVariant(t->value()) : QVariant();
  }
  void setCurrentValue(const QVariant& value) override {
    const AccessibleTraits* t = traits();
    if (!t || !t->setValue || !widget()->isEnabled()) return;
    const std::function<void(int)> set = t->setValue;
    set(qBound(t->minimum, value.toInt(), maximumOf(*t)));
  }
  QVariant maximumValue() const override {
    const AccessibleTraits* t = traits();
    return t ? QVariant(maximumOf(*t)) : QVariant();
  }
  QVariant minimumValue() const override {
    const AccessibleTraits* t = traits();
    return t ? QVariant(t->minimum) : QVariant();
  }
  QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* controlFactory(const QString&, QObject* object) {
  auto* w = qobject_cast<QWidget*>(object);
  if (!w || !holderOf(w)) return nullptr;
  return new AccessibleControl(w);
}

void installFactoryOnce() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(controlFactory);
}

QAccessibleInterface* interfaceOf(QWidget* w) {
  return w ? QAccessible::queryAccessibleInterface(w) : nullptr;
}

}  // namespace

void setAccessibleTraits(QWidget* widget, AccessibleTraits traits) {
  if (!widget) return;
  installFactoryOnce();
  if (TraitsHolder* h = holderOf(widget)) {
    h->traits = std::move(traits);
    return;
  }
  new TraitsHolder(widget, std::move(traits));
  // A label announces its text while it is built, which may already have made Qt's own
  // description of it; drop that one so the next query makes ours.
  QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
  if (made && !dynamic_cast<AccessibleControl*>(made)) {
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  }
}

const AccessibleTraits* accessibleTraits(const QWidget* widget) {
  const TraitsHolder* h = holderOf(widget);
  return h ? &h->traits : nullptr;
}

QString accessibleNameOf(QWidget* widget) {
  QAccessibleInterface* i = interfaceOf(widget);
  return i ? i->text(QAccessible::Name) : QString();
}

QString accessibleValueOf(QWidget* widget) {
  QAccessibleInterface* i = interfaceOf(widget);
  return i ? i->text(QAccessible::Value) : QString();
}

QStringList accessibleActionsOf(QWidget* widget) {
  QAccessibleInterface* i = interfaceOf(widget);
  QAccessibleActionInterface* a = i ? i->actionInterface() : nullptr;
  return a ? a->actionNames() : QStringList();
}

bool pressAccessibly(QWidget* widget) {
  QAccessibleInterface* i = interfaceOf(widget);
  QAccessibleActionInterface* a = i ? i->actionInterface() : nullptr;
  if (!a || !a->actionNames().contains(QAccessibleActionInterface::pressAction())) return false;
  a->doAction(QAccessibleActionInterface::pressAction());
  return true;
}

void accessibleNameChanged(QWidget* widget) {
  if (!widget || !QAccessible::isActive()) return;
  QAccessibleEvent event(widget, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

void accessibleValueChanged(QWidget* widget) {
  if (!widget || !QAccessible::isActive()) return;
  const AccessibleTraits* t = accessibleTraits(widget);
  if (!t || !t->value) return;
  QAccessibleValueChangeEvent event(widget, t->value());
  QAccessible::updateAccessibility(&event);
}

void accessibleStateChanged(QWidget* widget) {
  if (!widget || !QAccessible::isActive()) return;
  QAccessible::State changed;
  changed.checked = true;
  QAccessibleStateChangeEvent event(widget, changed);
  QAccessible::updateAccessibility(&event);
}

}  // namespace vemla::ui
