#include "widgets/skin_catalog.h"

#include <algorithm>
#include <array>

namespace skin {

namespace {

constexpr int B = kButtonFrames;

constexpr std::array kCatalog = {
    // Pictures the windows load by these names.
    SkinPicture{"face.bmp", 485, 239, 1, "main window FaceImage (welcome picture while the list is empty)"},
    SkinPicture{"about.bmp", 440, 300, 1, "About window ssSkinForm1"},
    SkinPicture{"splash.bmp", 480, 280, 1, "splash window ssSkinForm1"},
    SkinPicture{"progress.bmp", 4, 4, 1, "fill of main SkinProcess1, editor SkinProcess1 and SPVolume"},
    SkinPicture{"eprogress.bmp", 4, 4, 1, "fill of editor SPBrightness, SPContrast, SPSaturation"},
    SkinPicture{"cprogress.bmp", 4, 12, 1, "fill of progress window SkinProcess1, SkinProcess2"},
    SkinPicture{"slide.bmp", 14, 14, kThumbFrames, "thumb of every slider that has one"},

    // Window pictures (TssSkinForm Glyph).
    SkinPicture{"form_main.png", 850, 585, 1, "main window ssSkinForm1"},
    SkinPicture{"form_preferences.png", 500, 360, 1, "Preferences window ssSForm1"},
    SkinPicture{"form_settings.png", 600, 440, 1, "profile editor (Settings) window"},
    SkinPicture{"form_saveas.png", 360, 170, 1, "Save as window"},
    SkinPicture{"form_progress.png", 560, 470, 1, "conversion progress window"},
    SkinPicture{"form_properties.png", 360, 320, 1, "Properties window"},
    SkinPicture{"form_editor.png", 760, 600, 1, "clip editor (Video Edit) window"},

    // Slider tracks (TSkinProcess picture); magenta rows are see-through.
    SkinPicture{"track.png", 8, 10, 1, "track of main SkinProcess1 (base line 6)"},
    SkinPicture{"etrack.png", 8, 8, 1, "track of the editor sliders (base line 4)"},
    SkinPicture{"ctrack.png", 8, 20, 1, "track of the progress window bars (base line 10)"},

    // Title-bar buttons.
    SkinPicture{"tb_min.png", 18, 18, B, "main SBtnMin"},
    SkinPicture{"tb_close.png", 18, 18, B,
                "main SBtnClose; Preferences ssSBClose; Settings SBtnClose; Save as ssSBClose; progress "
                "ssSBClose; Properties SBtnClose; editor ssSBClose; About ssSBClose"},
    SkinPicture{"tb_help.png", 18, 18, B,
                "Preferences ssSBHelp; Settings SBtnHelp; Properties SBtnHelp; editor ssSBHelp"},

    // Main window tool buttons.
    SkinPicture{"tool_add_files.png", 129, 47, B, "main SBtnLoadDvd"},
    SkinPicture{"tool_download.png", 129, 47, B, "main SBDownloader"},
    SkinPicture{"tool_effect.png", 129, 47, B, "main SBtnEffect"},
    SkinPicture{"tool_trim.png", 129, 47, B, "main SBtnTrim"},
    SkinPicture{"tool_crop.png", 129, 47, B, "main SBtnCrop"},
    SkinPicture{"tool_preferences.png", 129, 47, B, "main SBtnPreferences"},

    // Player and editor transport buttons.
    SkinPicture{"ctl_play.png", 39, 39, B, "main SBtnPlay (ImageListPlay picture 0); editor ssSBPlay"},
    SkinPicture{"ctl_pause.png", 39, 39, B,
                "main SBtnPlay (ImageListPlay picture 1); editor ssSBPlay while playing"},
    SkinPicture{"ctl_stop.png", 39, 39, B, "main SBtnStop; editor ssSBStop"},
    SkinPicture{"ctl_back.png", 39, 39, B, "main SBtnBack"},
    SkinPicture{"ctl_forward.png", 39, 39, B, "main SBtnForward"},
    SkinPicture{"ctl_snap.png", 39, 39, B, "main SBtnSnap"},
    SkinPicture{"ctl_open_snap.png", 39, 39, B, "main SBtnOpenSnap"},
    SkinPicture{"ctl_next_frame.png", 39, 39, B, "editor ssSBNext"},
    SkinPicture{"ctl_play_trimmed.png", 39, 39, B, "editor ssSBPlaySec"},
    SkinPicture{"ctl_mark_start.png", 39, 39, B, "editor ssSBTrimStart"},
    SkinPicture{"ctl_mark_end.png", 39, 39, B, "editor ssSBTrimEnd"},

    // Main window list buttons.
    SkinPicture{"list_merge.png", 90, 28, B, "main SBtnMerge"},
    SkinPicture{"list_rename.png", 90, 28, B, "main SBtnRename"},
    SkinPicture{"list_remove.png", 90, 28, B, "main SBtnRemove"},
    SkinPicture{"list_clear_all.png", 90, 28, B, "main SBtnCleanAll"},
    SkinPicture{"list_properties.png", 90, 28, B, "main SBtnProperty"},

    // Main window profile and destination buttons, and the start button.
    SkinPicture{"btn_settings.png", 92, 28, B, "main SBtnSettings"},
    SkinPicture{"btn_apply_all.png", 92, 28, B, "main ssSBApplyToAll"},
    SkinPicture{"btn_browse.png", 92, 28, B, "main SBtnBrowse"},
    SkinPicture{"btn_open_folder.png", 92, 28, B, "main SBtnOpenFolder"},
    SkinPicture{"btn_start.png", 105, 104, B, "main SBtnStart"},

    // Dialog buttons.
    SkinPicture{"btn_ok.png", 84, 28, B, "Settings ssSBOk; Save as ssSBOK; editor ssSBOk; About ssSBOk"},
    SkinPicture{"btn_cancel.png", 84, 28, B,
                "Preferences ssSBCancel; Settings ssSBCancel; Save as ssSBCancel; editor ssSBCancel"},
    SkinPicture{"btn_apply.png", 84, 28, B, "Preferences ssSBApply"},
    SkinPicture{"btn_close.png", 84, 28, B, "Properties ssSkinButton1"},
    SkinPicture{"btn_reset.png", 84, 28, B,
                "editor ssSBReset, ssSBResetTrim, ssSBResetCrop, ssSBResetEffect, ssSBWMReset"},
    SkinPicture{"btn_add.png", 84, 28, B, "Settings ssSBAdd"},
    SkinPicture{"btn_delete.png", 84, 28, B, "Settings ssSBDelete"},
    SkinPicture{"btn_pause.png", 84, 28, B, "progress ssSBPause"},
    SkinPicture{"btn_continue.png", 84, 28, B, "progress ssSBContinue"},
    SkinPicture{"btn_stop.png", 84, 28, B, "progress ssSBStop"},
    SkinPicture{"btn_pick.png", 28, 24, B, "Preferences DestBrowser, SnapBrowser; editor ssSBPicture"},
    SkinPicture{"btn_open.png", 28, 24, B, "Preferences DestOpen, SnapOpen"},
    SkinPicture{"btn_set.png", 44, 24, B, "editor ssSBSetTrimStart, ssSBSetTrimEnd, ssSBSetTrimLength"},
    SkinPicture{"btn_font.png", 56, 24, B, "editor ssSBFont"},
    SkinPicture{"handle_start.png", 9, 18, B, "editor ssSBLeft (trim start handle)"},
    SkinPicture{"handle_end.png", 9, 18, B, "editor ssSBRight (trim end handle)"},

    // Tab buttons: the plain strip when the page is hidden, "_on" when it is shown.
    SkinPicture{"tab_general.png", 112, 30, B, "Preferences ssSBGeneral (ImgLstGeneral picture 1)"},
    SkinPicture{"tab_general_on.png", 112, 30, B, "Preferences ssSBGeneral (ImgLstGeneral picture 0)"},
    SkinPicture{"tab_option.png", 112, 30, B, "Preferences ssSBOption (ImgLstOpt picture 1)"},
    SkinPicture{"tab_option_on.png", 112, 30, B, "Preferences ssSBOption (ImgLstOpt picture 0)"},
    SkinPicture{"tab_trim.png", 112, 30, B, "editor ssSBTrim"},
    SkinPicture{"tab_trim_on.png", 112, 30, B, "editor ssSBTrim, page shown"},
    SkinPicture{"tab_crop.png", 112, 30, B, "editor ssSBCrop"},
    SkinPicture{"tab_crop_on.png", 112, 30, B, "editor ssSBCrop, page shown"},
    SkinPicture{"tab_effect.png", 112, 30, B, "editor ssSBEffect"},
    SkinPicture{"tab_effect_on.png", 112, 30, B, "editor ssSBEffect, page shown"},
    SkinPicture{"tab_mark.png", 112, 30, B, "editor ssSBMark"},
    SkinPicture{"tab_mark_on.png", 112, 30, B, "editor ssSBMark, page shown"},

    // Task list item pictures, the application icon, the number display's digits.
    SkinPicture{"item_audio.png", 23, 16, 1, "task list: audio file"},
    SkinPicture{"item_video.png", 23, 16, 1, "task list: video file"},
    SkinPicture{"item_merged.png", 23, 16, 1, "task list: merged item"},
    SkinPicture{"kestrelvine.png", 256, 256, 1, "application icon"},
    SkinPicture{"digits.png", 16, 24, 10, "TssSkinNumber digits 0-9"},

    // Pictures the style sheet of the standard controls refers to.
    SkinPicture{"arrow_down.png", 10, 6, 1, "style sheet: drop-down arrow of combo boxes"},
    SkinPicture{"check.png", 10, 8, 1, "style sheet: tick of check boxes and task list items"},
};

}  // namespace

std::span<const SkinPicture> SkinCatalog() {
  return kCatalog;
}

const SkinPicture* FindSkinPicture(std::string_view file) {
  const auto it =
      std::find_if(kCatalog.begin(), kCatalog.end(), [&](const SkinPicture& p) { return p.file == file; });
  return it == kCatalog.end() ? nullptr : &*it;
}

}  // namespace skin
