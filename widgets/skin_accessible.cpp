#include "widgets/skin_accessible.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QAction>
#include <mutex>

#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace {

class SkinButtonAccessible final : public QAccessibleWidget {
 public:
  explicit SkinButtonAccessible(TssCustomButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

  QString text(QAccessible::Text t) const override {
    const TssCustomButton& button = *Button();
    if (t == QAccessible::Name) {
      return SkinButtonName(button);
    }
    if (t == QAccessible::Description) {
      const QString description = button.accessibleDescription();
      return description.isEmpty() ? button.toolTip() : description;
    }
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override {
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    if (action == pressAction()) {
      Button()->Press();
      return;
    }
    QAccessibleWidget::doAction(action);
  }

 private:
  TssCustomButton* Button() const { return static_cast<TssCustomButton*>(widget()); }
};

class SkinSliderAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit SkinSliderAccessible(TSkinProcess* slider)
      : QAccessibleWidget(slider, slider->Interactive() ? QAccessible::Slider : QAccessible::ProgressBar) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) {
      return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text t) const override {
    const QString own = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && own.isEmpty()) {
      return Slider()->toolTip();
    }
    return own;
  }

  QVariant currentValue() const override { return Slider()->Shown(); }
  void setCurrentValue(const QVariant& value) override { Slider()->MoveByUser(value.toInt()); }
  QVariant maximumValue() const override { return 100; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }

 private:
  TSkinProcess* Slider() const { return static_cast<TSkinProcess*>(widget()); }
};

QAccessibleInterface* SkinFactory(const QString&, QObject* object) {
  if (auto* button = qobject_cast<TssCustomButton*>(object)) {
    if (button->property(kSliderThumbProperty).toBool()) {
      return new QAccessibleWidget(button, QAccessible::Indicator);
    }
    return new SkinButtonAccessible(button);
  }
  if (auto* slider = qobject_cast<TSkinProcess*>(object)) {
    return new SkinSliderAccessible(slider);
  }
  return nullptr;
}

}  // namespace

void InstallSkinAccessibility() {
  static std::once_flag installed;
  std::call_once(installed, [] { QAccessible::installFactory(SkinFactory); });
}

QString SkinButtonName(const TssCustomButton& button) {
  if (!button.accessibleName().isEmpty()) {
    return button.accessibleName();
  }
  if (!button.Caption().isEmpty()) {
    return button.Caption();
  }
  if (!button.toolTip().isEmpty()) {
    return button.toolTip();
  }
  return button.Action() != nullptr ? button.Action()->iconText() : QString();
}
