#pragma once

#include <QString>

// The process-wide facts every window needs. A local of the run entry, which hands it to whatever it
// creates (the catalogue, the task list, the windows); those keep a reference no longer than the run
// entry runs. Read and written on the UI thread only.
struct MuiContext {
  QString moduleFolder;   // folder of the host executable, ending in "/"
  QString productFolder;  // moduleFolder + "sys/soft/" + productName + "/"
  QString makerName;
  QString productName;
  QString productVersion;
  QString homePageLink;
  QString supportLink;
  QString noticeText;
  QString currentProfileGroup;
  QString currentProfile;
};

inline constexpr char kMakerName[] = "Tolvermax Studio";
