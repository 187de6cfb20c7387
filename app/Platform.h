// What the commands need from the desktop besides widgets: file dialogs, the
// Yes/No question, the OK message, the mouse pointer and the clipboard. The Qt
// implementation serves the real program; tests script the answers.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class QWidget;

namespace kessadon::app {

// The answer to the question before unsaved work would be discarded.
enum class SaveChoice { Save, Discard, Cancel };

// Which fields of a table or GIS layer hold what: the names there are and,
// for x, y, z, the code, the trend, the dip and the id in that order, the
// one found by the common names (-1: none).
struct FieldQuestion {
  QString source;  // the file, with the layer
  QStringList names;
  std::array<int, 7> chosen{-1, -1, -1, -1, -1, -1, -1};
  bool swapXY = false;
  bool needsXY = true;  // no points place the records: x and y must be fields
};
struct FieldAnswer {
  std::array<int, 7> chosen{};
  bool swapXY = false;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // `filter` in the "description|pattern|description|pattern" form.
  // Nothing when the user cancelled.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& filter) = 0;
  virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& filter) = 0;

  // Yes/No question whose default button is No; true for Yes.
  virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
  virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
  // Save, discard or cancel; Escape and closing the box cancel.
  virtual SaveChoice AskSaveDiscardCancel(QWidget* parent, const QString& text) = 0;
  // One of `items`, `current` preselected; nothing when cancelled.
  virtual std::optional<int> AskChoice(QWidget* parent, const QString& text,
                                       const QStringList& items, int current) = 0;
  // One of `items`, `current` preselected, or a text typed in its place;
  // nothing when cancelled.
  virtual std::optional<QString> AskItemOrText(QWidget* parent, const QString& text,
                                               const QStringList& items, int current) = 0;
  // The fields to read by, the question's preselected; nothing when cancelled.
  virtual std::optional<FieldAnswer> AskFields(QWidget* parent, const FieldQuestion& question) = 0;

  virtual void SetBusyPointer(bool busy) = 0;
  virtual void PutImageOnClipboard(const QImage& image) = 0;
};

// Hourglass for the lifetime of the object, restored on every way out.
class BusyPointer {
 public:
  explicit BusyPointer(Platform& platform) : platform_(platform) { platform_.SetBusyPointer(true); }
  ~BusyPointer() { platform_.SetBusyPointer(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  Platform& platform_;
};

// "すべてのファイル (*.*)|*.*" -> "すべてのファイル (*.*)" as a Qt name filter list.
QString ToQtFilter(const QString& filter);

}  // namespace kessadon::app
