#pragma once

#include <QString>

// The process-wide facts every window needs. A local of the run entry, published in the application
// object's tag for exactly as long as the run entry runs; read and written on the UI thread only.
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

// The published context, or null before the run entry has published it and after it has returned.
MuiContext* CurrentContext();

inline constexpr char kMakerName[] = "Tolvermax Studio";
