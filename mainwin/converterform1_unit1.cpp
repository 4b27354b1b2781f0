#include "mainwin/converterform1_unit1.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/mui_context.h"

TConverterForm1::TConverterForm1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TConverterForm1"));
  const MuiContext* context = CurrentContext();
  const QString title = context != nullptr ? context->productName : QString();
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  auto* titleLabel = new QLabel(title, this);
  titleLabel->setObjectName(QStringLiteral("LblTitle"));
  titleLabel->setAlignment(Qt::AlignCenter);
  layout->addWidget(titleLabel);
  resize(760, 520);
}
