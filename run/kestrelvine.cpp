#include "run/kestrelvine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <exception>
#include <memory>
#include <stdexcept>

#include "base/app_error.h"
#include "base/folders.h"
#include "base/mui_context.h"
#include "base/qt_text.h"
#include "base/web_links.h"
#include "components/i_save_option_xml.h"
#include "mainwin/main_window.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/single_instance.h"
#include "plug/plug_ptr.h"
#include "settings/current_profile.h"

namespace {

constexpr char kNoticeText[] =
    "Copyright (C) 2026 Tolvermax Studio. Free software under the GNU GPL, version 2 or later.";

QString ReadString(PlugPtr<I_SaveOptionXml>& store, const char16_t* key) {
  return QString::fromUtf16(store->GetString(key));
}

// Steps 7 to 10 of the start: the version, the region's web links and the last profile choice.
// False when the option store is missing: the program has nothing to read its settings with.
bool ReadSettings(MuiContext& context) {
  PlugPtr<I_SaveOptionXml> store;
  if (!CreateInto(store, kSaveOptionXmlName)) {
    return false;
  }
  store->Load(U16(context.productFolder + "config.xml"));
  context.productVersion = ReadString(store, u"product\\version");

  int language = 0;
  if (store->Load(U16(context.moduleFolder + "config-ext.xml"))) {
    language = store->GetInt(u"product\\language");
  }
  CSTRWEBLINK links;
  BuildWebLinks(language, MakerDomainWord(), &links);
  context.homePageLink = links.siteLink;
  context.supportLink = links.supportLink;

  const CurrentProfileChoice remembered = ReadCurrentProfile(context);
  context.currentProfile = remembered.profile;
  context.currentProfileGroup = remembered.group;
  return true;
}

}  // namespace

void Kestrelvine::Release() {
  if (--refCount_ == 0) {
    delete this;
  }
}

bool Kestrelvine::Run(const char* icon, const char* productName, const char*, const char*, const char*) {
  platform::QtDialogs dialogs;
  platform::DesktopShell shell;
  RunArgs args;
  args.icon = icon;
  args.productName = productName == nullptr ? "" : productName;
  args.startupPaths = startupPaths_;
  return RunModule(args, dialogs, shell);
}

void Kestrelvine::SetStartupPaths(const char* const* paths, int32_t count) {
  startupPaths_.clear();
  for (int32_t i = 0; paths != nullptr && i < count; ++i) {
    if (paths[i] != nullptr) {
      startupPaths_.push_back(QFile::decodeName(paths[i]));
    }
  }
}

I_Plug* NewKestrelvine() {
  return new Kestrelvine;
}

QString ExecutableFolder() {
  const QFileInfo exe(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
  return exe.absolutePath() + "/";
}

QString ProductFolderOf(const QString& moduleFolder, const QString& productName) {
  return moduleFolder + "sys/soft/" + productName + "/";
}

bool RunModule(const RunArgs& args, platform::Dialogs& dialogs, platform::Shell& shell) {
  platform::Application app(dialogs, shell);
  MuiContext context;
  try {
    if (!app.Initialize()) {
      throw AppError("The program cannot open its windows: no display is available.");
    }
    app.SetIcon(args.icon);
    // A logout, Ctrl-C or a closing terminal ends the program as its user would, never midway through
    // a file.
    app.CatchTerminationSignals();

    const QString productName = QString::fromUtf8(args.productName);
    context.moduleFolder = args.moduleFolder.isEmpty() ? ExecutableFolder() : args.moduleFolder;
    context.productFolder = ProductFolderOf(context.moduleFolder, productName);
    context.makerName = QString::fromUtf8(kMakerName);
    context.productName = productName;
    context.noticeText = QString::fromUtf8(kNoticeText);
    app.SetTag(&context);

    if (!ReadSettings(context)) {
      dialogs.MessageBox(nullptr,
                         QStringLiteral("The component \"%1\" is missing, so %2 cannot read its settings. "
                                        "Please reinstall the program.")
                             .arg(QString::fromUtf8(kSaveOptionXmlName), productName),
                         productName, platform::MsgButtons::Ok, platform::MsgIcon::Error);
      app.SetTag(nullptr);
      return true;
    }
    app.SetTitle(productName);

    // One window per user: a later start hands its files to this one and ends.
    const QString dataFolder = UserDataFolder(context);
    platform::SingleInstance instance(dataFolder);
    TConverterForm1* shown = nullptr;
    if (!dataFolder.isEmpty()) {
      if (instance.HandOver(args.startupPaths)) {
        app.SetTag(nullptr);
        return true;
      }
      instance.Listen([&shown](const QStringList& paths) {
        if (shown == nullptr) {
          return;
        }
        shown->showNormal();
        shown->raise();
        shown->activateWindow();
        shown->DropLocalFiles(paths);
      });
    }

    auto mainForm = std::make_unique<TConverterForm1>(UiContext{context, app});
    shown = mainForm.get();
    if (!args.startupPaths.isEmpty()) {
      // Queued now, run once the loop has shown the window: the user sees the list fill.
      TConverterForm1* form = mainForm.get();
      QTimer::singleShot(0, form, [form, paths = args.startupPaths] { form->DropLocalFiles(paths); });
    }
    if (args.beforeMessageLoop) {
      args.beforeMessageLoop();
    }
    app.Run(mainForm.get());
    shown = nullptr;
    mainForm.reset();

    CleanTextImages(context);
  } catch (const AppError& e) {
    dialogs.ShowException(e.Message());
  } catch (const std::exception& e) {
    dialogs.ShowException(QString::fromUtf8(e.what()));
  } catch (...) {
    dialogs.ShowException(QString());
  }
  // The context dies with this function: nobody may find it afterwards.
  app.SetTag(nullptr);
  return true;
}
