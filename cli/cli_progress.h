#pragma once

#include <QString>

// One job's progress as the command line shows it:
//   "[1/3] clip.mp4  45 %  2.1x  00:00:12 left"
// `position` and `duration` are seconds of the job's media, `elapsed` the wall seconds the job has run.
// The speed (media seconds per wall second) and the time left are left out until they can be told.
// Qt Core only.
QString ProgressLine(int index, int count, const QString& name, double position, double duration,
                     double elapsed);

// The whole percent of a job done, 0 .. 100.
int JobPercent(double position, double duration);
