#include "cli/cli_progress.h"

#include <algorithm>
#include <cmath>

#include "base/routines.h"

int JobPercent(double position, double duration) {
  if (!(duration > 0) || !(position > 0)) {
    return 0;
  }
  return static_cast<int>(std::clamp(position / duration * 100.0, 0.0, 100.0));
}

QString ProgressLine(int index, int count, const QString& name, double position, double duration,
                     double elapsed) {
  QString line = QStringLiteral("[%1/%2] %3  %4 %")
                     .arg(index + 1)
                     .arg(count)
                     .arg(name)
                     .arg(JobPercent(position, duration), 3);
  // Half a second of work tells too little about the pace to predict from it.
  if (elapsed >= 0.5 && position > 0) {
    const double speed = position / elapsed;
    line += QStringLiteral("  %1x").arg(speed, 0, 'f', 1);
    const double left = std::max(0.0, duration - position) / speed;
    if (std::isfinite(left)) {
      line += QStringLiteral("  %1 left").arg(QString::fromStdString(FormatHms(static_cast<int32_t>(left))));
    }
  }
  return line;
}
