// The ways in from the desktop: a file named on the command line, a file
// dropped on the window, and velorin.ini from the configuration folder.
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <cstdlib>

#include "app/command_line.h"
#include "window_fixture.h"

namespace {

// No test may pick up the configuration folder of whoever runs them.
const bool kNoUserConfig = ::setenv("XDG_CONFIG_HOME", "/nonexistent/velorin-test", 1) == 0;

const std::string kImage = fits_test::MakeFits(2, 2);

// A test that points XDG_CONFIG_HOME into its own folder leaves it pointing nowhere once the folder is gone.
using DesktopTest = app_test::WindowTest;

TEST_F(DesktopTest, CommandLineReadsTheFirstFileAsTheDialogDoes) {
  ASSERT_TRUE(kNoUserConfig);
  Write("m35.fit", kImage);
  for (const char* name : {"-odd.fit", "M\xFCller.fit", "a\nb.fit"}) Write(name, kImage);
  fs::create_directory(dir / "sub");
  ReadFile(Path("m35.fit"));
  ASSERT_EQ(Status(), "Fitsfileheader gelesen");
  const std::string dialog = Log() + Status() + form->windowTitle().toStdString() + "+";

  char latin1[] = "M\xFCller.fit";  // no UTF-8: Qt's text of it has lost the bytes argv holds
  char* argv[] = {nullptr, latin1};
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      // the file read; empty: none
      {{"velorin", "--new-window", "-x", "sub/../m35.fit", "other.fit"}, "m35.fit"},
      {{"velorin", "--", "-odd.fit", "m35.fit"}, "-odd.fit"},
      {ArgumentNames({"velorin", QString::fromUtf8(latin1)}, 2, argv), latin1},
      {{"velorin", "a\nb.fit"}, "a\nb.fit"},
      {{"velorin", "-", "--help"}, ""}};
  for (const auto& [arguments, read] : cases) {
    form = std::make_unique<Form1>();
    fs::remove(dir / "logfile.txt");
    ReadFileArgument(*form, arguments);
    EXPECT_EQ(form->shared.InputFileName + Status(),
              read.empty() ? "warte auf lesen von fitsfile" : Path(read) + "Fitsfileheader gelesen");
    // A line break in a name breaks no line: the log and the caption show it escaped.
    EXPECT_TRUE(read != "a\nb.fit" || (Log().find("/a\\x0Ab.fit ****\r\nSIMPLE") != std::string::npos &&
                                       form->windowTitle().endsWith("/a\\x0Ab.fit")));
    if (read != "m35.fit") continue;
    EXPECT_EQ(
        Log() + Status() + form->windowTitle().toStdString() + (form->cmd_start->isEnabled() ? "+" : ""),
        dialog);
  }
  EXPECT_FALSE(fs::exists(dir / "logfile.txt"));
}

TEST(CommandLine, HelpAndVersionAnswerInsteadOfTheWindow) {
  // The arguments after "velorin", the answer's first line; empty: the window opens.
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--version"}, "velorin 1.0"},
      {{"m35.fit", "--help", "--version"}, "Aufruf: velorin [DATEI]"},
      {{"--", "--help"}, ""},
      {{"-help", "m35.fit"}, ""}};
  for (const auto& [after, line] : cases) {
    std::vector<std::string> arguments{"velorin"};
    arguments.insert(arguments.end(), after.begin(), after.end());
    const std::string answer = InformationAnswer(arguments).value_or("");
    EXPECT_EQ(answer.substr(0, answer.find('\n')), line) << after.front();
  }
}

TEST_F(DesktopTest, OnlyOneLocalFitsFileIsTakenByDrop) {
  for (const char* name : {"m35.fit", "M35.FITS", "m35.fits.gz", "M\xFCller.fit"}) Write(name, kImage);
  auto local = [&](const char* name) { return QUrl::fromLocalFile(QString::fromStdString(Path(name))); };
  // The urls, the file read (nullptr: refused), whether a save runs ("fits lesen" disabled then).
  const std::tuple<QList<QUrl>, const char*, bool> cases[] = {
      {{local("m35.fit")}, "m35.fit", false},
      {{local("M35.FITS")}, "M35.FITS", false},
      {{QUrl::fromEncoded("file://" +
                          QByteArray::fromStdString(Path("M\xFCller.fit")).toPercentEncoding("/"))},
       "M\xFCller.fit",
       false},  // a Latin-1 name
      {{local("m35.fits.gz")}, nullptr, false},
      {{local("m35.fit"), local("m35.fit")}, nullptr, false},
      {{QUrl("https://example.org/m35.fit")}, nullptr, false},
      {{}, nullptr, false},
      {{local("m35.fit")}, nullptr, true}};
  for (const auto& [urls, read, saving] : cases) {
    SCOPED_TRACE(urls.isEmpty() ? "text" : urls.front().toString().toStdString());
    form = std::make_unique<Form1>();
    form->cmd_fitsauswahl->setEnabled(!saving);
    QMimeData data;
    data.setUrls(urls);
    data.setText(QString::fromStdString(Path("m35.fit")));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(std::to_string(enter.isAccepted()) + std::to_string(drop.isAccepted()) +
                  form->shared.InputFileName + "|" + Status(),
              read ? "11" + Path(read) + "|Fitsfileheader gelesen" : "00|warte auf lesen von fitsfile");
  }
}

TEST_F(DesktopTest, IniFromConfigFolderOnlyWhenStartFolderHasNone) {
  const fs::path config = dir.path / "config" / "velorin";
  fs::create_directories(config);
  std::ofstream(config / "velorin.ini", std::ios::binary) << "[instruments]\n'Aus Konfig' 1 1 0\n[bogus]\n";
  ::setenv("XDG_CONFIG_HOME", (dir.path / "config").c_str(), 1);
  Write("m35.fit", kImage);
  const std::string header = "**** FITS-fileheader von Input-Datei " + Path("m35.fit") + " ****\r\n";

  // The start folder's own file wins (config tests), the log then as ever (ReadWorkflow).
  fs::remove(dir / "velorin.ini");
  form = std::make_unique<Form1>();
  ReadFile(Path("m35.fit"));
  EXPECT_TRUE(Log().starts_with(header + "velorin.ini gelesen aus " + (config / "velorin.ini").string() +
                                "\r\nUnbekanntes Schl\xC3\xBCsselwort im ini-file[bogus]\r\nSIMPLE"))
      << Log();
  EXPECT_EQ(std::to_string(form->Cb_instrume->count()) + form->Cb_instrume->itemText(0).toStdString(),
            "1Aus Konfig");
}

}  // namespace
