#include "ui/AccessibleControl.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QLabel>
#include <QMenu>
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

// A menu item whose text carries its shortcut after a tab (drawn as the shortcut column while
// binding no key) is read by its caption; the shortcut is given as its key binding.
class AccessibleMenuItem : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  AccessibleMenuItem(QMenu* owner, QAction* action) : owner_(owner), action_(action) {}

  bool isValid() const override { return owner_ && action_; }
  QObject* object() const override { return action_; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(owner_);
  }
  QAccessibleInterface* child(int index) const override {
    return index == 0 && action_->menu() ? QAccessible::queryAccessibleInterface(action_->menu())
                                         : nullptr;
  }
  int childCount() const override { return action_->menu() ? 1 : 0; }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && action_->menu() && child->object() == action_->menu() ? 0 : -1;
  }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessible::Role role() const override {
    return action_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
  }
  QString text(QAccessible::Text kind) const override {
    const QString full = action_->text();
    const qsizetype tab = full.indexOf(QLatin1Char('\t'));
    if (kind == QAccessible::Name) return tab < 0 ? full : full.left(tab);
    if (kind == QAccessible::Accelerator) return tab < 0 ? QString() : full.mid(tab + 1);
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    return owner_->actionGeometry(action_).translated(owner_->mapToGlobal(QPoint(0, 0)));
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!owner_->isVisible() || !action_->isVisible()) s.invisible = true;
    if (owner_->activeAction() == action_) s.focused = true;
    if (action_->isSeparator() || !action_->isEnabled()) s.disabled = true;
    s.checkable = action_->isCheckable();
    s.checked = action_->isChecked();
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }

  QStringList actionNames() const override {
    if (action_->isSeparator()) return {};
    return {action_->menu() ? showMenuAction() : pressAction()};
  }
  void doAction(const QString& name) override {
    if (!action_->isEnabled()) return;
    if (name == pressAction()) {
      // The action may end this item (and the program): nothing of it is touched after.
      const QPointer<QMenu> menu = owner_;
      action_->trigger();
      if (menu) menu->close();
    } else if (name == showMenuAction()) {
      owner_->setActiveAction(action_);
    }
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    if (name != pressAction()) return {};
    const QString key = text(QAccessible::Accelerator);
    return key.isEmpty() ? QStringList() : QStringList(key);
  }

 private:
  QPointer<QMenu> owner_;
  QPointer<QAction> action_;
};

QAccessibleInterface* controlFactory(const QString&, QObject* object) {
  if (auto* action = qobject_cast<QAction*>(object)) {
    if (!action->text().contains(QLatin1Char('\t'))) return nullptr;
    for (QObject* o : action->associatedObjects()) {
      if (auto* menu = qobject_cast<QMenu*>(o)) return new AccessibleMenuItem(menu, action);
    }
    return nullptr;
  }
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

void describeMenuItems() { installFactoryOnce(); }

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
