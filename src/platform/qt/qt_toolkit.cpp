#include "platform/qt/qt_toolkit.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QMessageBox>
#include <QPluginLoader>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/qt/qt_text.h"

#include "platform/text_encoding.h"

namespace tavrin {
namespace {

// The value of Qt's own option `option` ("-platform NAME") in the arguments; the last
// one given counts, as it does for Qt.
QString QtOptionValue(int argc, char** argv, const char* option) {
  QString value;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], option) == 0) value = QString::fromLocal8Bit(argv[i + 1]);
  }
  return value;
}

// The platform plugins Qt is to try, in its order: those the "-platform" argument or
// else QT_QPA_PLATFORM names (several are separated by ';', each may carry its own
// arguments after ':'); without either, Wayland in a Wayland session, then X11.
QStringList WantedPlatforms(int argc, char** argv) {
  QString wanted = QtOptionValue(argc, argv, "-platform");
  if (wanted.isEmpty()) wanted = qEnvironmentVariable("QT_QPA_PLATFORM");
  if (wanted.isEmpty()) {
    const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == "wayland";
    return wayland ? QStringList{"wayland", "xcb"} : QStringList{"xcb"};
  }
  QStringList names;
  for (const QString& entry : wanted.split(';', Qt::SkipEmptyParts)) {
    names << entry.section(':', 0, 0);
  }
  return names;
}

// Whether a plugin for one of the platforms `names` is where Qt looks for them and
// loads: without one, Qt would end the program as its application starts. `searched`
// gets the folders looked in.
bool PlatformPluginLoads(int argc, char** argv, const QStringList& names, QStringList& searched) {
  QString own = QtOptionValue(argc, argv, "-platformpluginpath");
  if (own.isEmpty()) own = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
  if (!own.isEmpty()) searched << own;
  for (const QString& path : QCoreApplication::libraryPaths()) searched << path + "/platforms";
  // Once the application exists, Qt also looks beside the executable.
  searched << QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + "/platforms";
  searched.removeDuplicates();
  const auto serves = [&names](const QString& file) {
    QPluginLoader plugin(file);
    const QJsonObject meta = plugin.metaData();
    if (meta.value("IID").toString() !=
        QLatin1String("org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3")) {
      return false;
    }
    for (const auto key : meta.value("MetaData").toObject().value("Keys").toArray()) {
      if (names.contains(key.toString(), Qt::CaseInsensitive) && plugin.load()) return true;
    }
    return false;
  };
  // Qt's own plugins are named after their platform ("libqxcb.so"): those are read
  // first, and the other plugins of a folder only when none of them serves.
  for (const QString& folder : searched) {
    for (const QString& name : names) {
      const QString file = folder + "/libq" + name.toLower() + ".so";
      if (QFileInfo::exists(file) && serves(file)) return true;
    }
  }
  for (const QString& folder : searched) {
    const QDir dir(folder);
    for (const QString& file : dir.entryList(QDir::Files | QDir::Readable)) {
      if (serves(dir.filePath(file))) return true;
    }
  }
  return false;
}

}  // namespace

int ShowQtMessageBox(QWidget* owner, const std::string& text, int style,
                     const std::string& caption) {
  QMessageBox box(owner);
  box.setTextFormat(Qt::PlainText);
  // Texts from a collection show every character they hold, in the order they hold them.
  box.setWindowTitle(QtText(WindowText(caption)));
  box.setText(QtText(WindowText(text)));
  switch (style & 0xF0) {
    case 16:
      box.setIcon(QMessageBox::Critical);
      break;
    case 32:
      box.setIcon(QMessageBox::Question);
      break;
    case 48:
      box.setIcon(QMessageBox::Warning);
      break;
    case 64:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  const bool secondIsDefault = (style & 0xF00) == kStyleDefaultButton2;
  switch (style & 0x0F) {
    case 3:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(secondIsDefault ? QMessageBox::No : QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case 4:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(secondIsDefault ? QMessageBox::No : QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return kAnswerYes;
    case QMessageBox::No:
      return kAnswerNo;
    case QMessageBox::Cancel:
      return kAnswerCancel;
    default:
      return kAnswerOk;
  }
}

QtToolkit::QtToolkit(int& argc, char** argv, std::function<bool()> displayReachable)
    : argc_(argc), argv_(argv), displayReachable_(std::move(displayReachable)) {}

QtToolkit::~QtToolkit() = default;

QApplication* QtToolkit::EnsureApplication() {
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  if (!probed_) {
    probed_ = true;
    if (displayReachable_ && !displayReachable_()) {
      noDisplay_ = true;
      whyNoApplication_ = "no display can be reached";
    } else {
      const QStringList names = WantedPlatforms(argc_, argv_);
      QStringList searched;
      if (!PlatformPluginLoads(argc_, argv_, names, searched)) {
        whyNoApplication_ = "Qt finds no platform plugin for \"" +
                            names.join("\", \"").toStdString() + "\" that loads (looked in " +
                            searched.join(", ").toStdString() + ")";
      }
    }
  }
  if (!whyNoApplication_.empty()) return nullptr;
  app_ = std::make_unique<QApplication>(argc_, argv_);
  return app_.get();
}

int QtToolkit::MsgBox(const std::string& text, int style, const std::string& caption) {
  if (!EnsureApplication()) {
    // A display answers, but Qt cannot show a box on it: said once, so that the boxes
    // that follow here are understood.
    if (!toldWhy_ && !noDisplay_) {
      toldWhy_ = true;
      std::fprintf(stderr, "tavrin: message boxes are written here: %s\n",
                   whyNoApplication_.c_str());
    }
    return fallback_.MsgBox(text, style, caption);
  }
  return ShowQtMessageBox(owner_, text, style, caption);
}

void QtToolkit::DoEvents() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

bool QtToolkit::DoEventsFor(long ms) {
  if (!QCoreApplication::instance()) return false;
  // A timer of its own ends the wait; until then the loop sleeps only while nothing is
  // pending and wakes for the first event that comes. No nested exec(): a program asked
  // to end would leave such a loop at once, every time.
  bool due = false;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, [&due] { due = true; });
  timer.start(static_cast<int>(std::max(0L, ms)));
  while (!due) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

}  // namespace tavrin
