// The settings dialog and the about box: what they read, what OK stores,
// and what cancelling leaves alone.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/about_dlg.h"
#include "app/setting_dlg.h"
#include "gui_test_support.h"

namespace talvenor::app::testing {
namespace {

using SettingsDialog = ShellTest;

TEST_F(SettingsDialog, ShowsWhatIsStored) {
  Settings().SetInt("SETTINGS", "GROUP", 5);  // any non-zero value ticks the box
  Settings().SetString("SETTINGS", "PATH", "/srv/out");
  CSetting dialog(ui_);
  EXPECT_EQ(dialog.windowTitle(), "Einstellungen");
  EXPECT_TRUE(Child<QCheckBox>(dialog, "group")->isChecked());
  EXPECT_EQ(Child<QLineEdit>(dialog, "path")->text(), "/srv/out");
}

TEST_F(SettingsDialog, RejectsAPathThatIsNoFolderButStoresTheGroupFlag) {
  const fs::path file = WriteFile(folder_ / "a-file.txt", "x");
  for (const fs::path& bad : {file, folder_ / "no-such-folder"}) {
    SCOPED_TRACE(bad.string());
    fs::remove(platform::SettingsFile());
    ui_.messages.clear();
    CSetting dialog(ui_);
    dialog.show();
    Child<QCheckBox>(dialog, "group")->setChecked(true);
    Child<QLineEdit>(dialog, "path")->setText(QString::fromStdString(bad.string()));
    dialog.accept();
    EXPECT_EQ(ui_.Texts(),
              std::vector<std::string>{"Bitte geben Sie ein gültiges Verzeichnis an!"});
    EXPECT_TRUE(dialog.isVisible());  // stays open
    EXPECT_EQ(dialog.focusWidget(), Child<QLineEdit>(dialog, "path"));
    EXPECT_EQ(Settings().GetInt("SETTINGS", "GROUP", -1), 1);
    EXPECT_FALSE(Settings().Find("SETTINGS", "PATH").has_value());
  }
}

TEST_F(SettingsDialog, StoresAFolderOrAnEmptyPath) {
  Settings().SetString("SETTINGS", "PATH", "/old");
  Settings().SetInt("SETTINGS", "GROUP", 1);
  for (const std::string& path : {folder_.string(), std::string()}) {
    SCOPED_TRACE(path);
    CSetting dialog(ui_);
    dialog.show();
    Child<QCheckBox>(dialog, "group")->setChecked(false);
    Child<QLineEdit>(dialog, "path")->setText(QString::fromStdString(path));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Settings().Find("SETTINGS", "PATH"), std::optional<std::string>(path));
    EXPECT_EQ(Settings().GetInt("SETTINGS", "GROUP", -1), 0);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SettingsDialog, CancelStoresNothing) {
  CSetting dialog(ui_);
  dialog.show();
  Child<QCheckBox>(dialog, "group")->setChecked(true);
  Child<QLineEdit>(dialog, "path")->setText(QString::fromStdString(folder_.string()));
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(fs::exists(platform::SettingsFile()));
}

TEST_F(SettingsDialog, FolderPickerStartsAtThePathWithoutTrailingSlash) {
  CSetting dialog(ui_);
  auto* path = Child<QLineEdit>(dialog, "path");
  path->setText("/srv/out/");
  ui_.folderAnswer.reset();
  dialog.OnBrowse();  // cancelled: the field stays
  EXPECT_EQ(path->text(), "/srv/out/");
  path->setText("/");
  ui_.folderAnswer = "/srv/new";
  dialog.OnBrowse();
  EXPECT_EQ(path->text(), "/srv/new");
  using Question = std::pair<std::string, std::string>;
  EXPECT_EQ(ui_.folderQuestions,
            (std::vector<Question>{{"Bitte wählen Sie einen Ausgabeordner.", "/srv/out"},
                                   {"Bitte wählen Sie einen Ausgabeordner.", "/"}}));
}

using AboutBox = ShellTest;

TEST_F(AboutBox, CaptionDateAndTheUpdateSwitch) {
  for (int stored : {0, 1}) {
    Settings().SetInt("SETTINGS", "UPDATE", stored);
    WithMainDialog([&](CQuorinDlg& main) {
      CAboutDlg about(app(), &main);
      EXPECT_EQ(about.windowTitle(), "Info über Talvenor");
      EXPECT_EQ(Child<QLabel>(about, "validUntil")->text(), "Daten gültig bis: 02.06.2024");
      EXPECT_EQ(Child<QCheckBox>(about, "noUpdateCheck")->isChecked(), stored == 0);
    });
  }
}

TEST_F(AboutBox, OkStoresTheSwitchEscapeStoresNothing) {
  struct Case {
    const char* what;
    int before;
    bool ticked;
    bool ok;
    int after;
  };
  // clang-format off
  const Case cases[] = {
      {"tick cleared, OK", 0, false, true, 1},
      {"ticked, OK", 1, true, true, 0},
      {"tick cleared, Escape", 0, false, false, 0},
      {"ticked, Escape", 1, true, false, 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings().SetInt("SETTINGS", "UPDATE", c.before);
    WithMainDialog([&](CQuorinDlg& main) {
      CAboutDlg about(app(), &main);
      about.show();
      Child<QCheckBox>(about, "noUpdateCheck")->setChecked(c.ticked);
      QTest::keyClick(&about, c.ok ? Qt::Key_Return : Qt::Key_Escape);
      EXPECT_FALSE(about.isVisible());
    });
    EXPECT_EQ(Settings().GetInt("SETTINGS", "UPDATE", -1), c.after);
  }
}

TEST_F(AboutBox, LicenceTermsBesideTheProgram) {
  const fs::path licence = programPath_.parent_path() / "talvenor.txt";
  WithMainDialog([&](CQuorinDlg& main) {
    CAboutDlg about(app(), &main);
    about.OnLicence();  // missing
    WriteFile(licence, "Lizenz\n");
    about.OnLicence();  // opened
    ui_.filesOpen = false;
    about.OnLicence();  // no program for it
  });
  EXPECT_EQ(ui_.Texts(),
            (std::vector<std::string>{
                "Lizenzdatei " + licence.string() +
                    " ist nicht vorhanden!\nBitte prüfen Sie Ihre Installation.",
                "Lizenzdatei " + licence.string() +
                    " kann nicht angezeigt werden!\nBitte öffnen Sie die Datei mit einem "
                    "Texteditor."}));
  EXPECT_EQ(ui_.openedFiles, (std::vector<fs::path>{licence, licence}));
}

TEST(AboutTexts, PureRules) {
  EXPECT_EQ(AboutCaption("&Info über Talvenor...", "Talvenor"), "Info über Talvenor");
  EXPECT_EQ(AboutCaption("&Info über X...", "Talvenor"), "Info über Talvenor");
  EXPECT_EQ(ReplaceTrailingDate("Daten gültig bis: 03.03.2024", "02.06.2024"),
            "Daten gültig bis: 02.06.2024");
  EXPECT_EQ(ReplaceTrailingDate("bis 1.1.24", "02.06.2024"), "02.06.2024");
  EXPECT_EQ(LicenceFile("/opt/talvenor/talvenor"), fs::path("/opt/talvenor/talvenor.txt"));
  EXPECT_EQ(LicenceFile("/opt/talvenor/talvenor.bin"), fs::path("/opt/talvenor/talvenor.txt"));
}

}  // namespace
}  // namespace talvenor::app::testing
