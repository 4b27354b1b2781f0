#include "mainwin/size_estimate.h"

#include <QLabel>

#include "convert/size_forecast.h"

SizeEstimate::SizeEstimate(TaskTree& tree, const TVirtualStringTreeHelper& list,
                           const ConverterSettings& catalogue, QLabel* label)
    : tree_(&tree), list_(list), catalogue_(catalogue), label_(label) {
  tree.AddObserver(this);
}

SizeEstimate::~SizeEstimate() {
  if (tree_ != nullptr) {
    tree_->RemoveObserver(this);
  }
}

QString SizeEstimate::Text(int64_t bytes) {
  return bytes > 0 ? QStringLiteral("Output about %1").arg(SizeText(bytes)) : QString();
}

void SizeEstimate::Refresh() {
  if (!stale_ || tree_ == nullptr) {
    return;
  }
  stale_ = false;
  const QString text = Text(ForecastCheckedBytes(list_, &catalogue_));
  if (label_->text() != text) {
    label_->setText(text);
  }
}
