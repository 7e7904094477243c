#include "ui/qt/window_builder.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "ui/qt/details_pane.h"
#include "ui/qt/fonts.h"
#include "ui/qt/twips.h"
#include "ui/qt/ui_resources.h"

namespace tavrin::qt {
namespace {

QRect Place(const TwipsBox& box) { return TwipsRect(box.left, box.top, box.width, box.height); }

// The twips layout leaves a frame's caption the top 180 twips of the frame (its first
// control starts there).
constexpr int kFrameCaptionTwips = 180;

// How much more room, in pixels, the frame's caption takes than the twips layout
// leaves it: Qt's frame title and border may need more.
int CaptionExtra(const QGroupBox* frame) {
  return std::max(0, frame->contentsMargins().top() - Twips(kFrameCaptionTwips));
}

// Trims what a control of the frame would cover of its border (a pixel or two, where
// Qt's border is wider than the twips layout allows for).
void KeepInside(QGroupBox* frame) {
  for (QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    control->setGeometry(control->geometry() & frame->contentsRect());
  }
}

// A toolbar: a row of tool buttons that fills its place without overflowing. A button
// shows no text of its own: its tool tip names it.
QWidget* MakeToolBar(const ControlDesc& desc, QWidget* parent, MadeControls& made,
                     std::vector<QWidget*>& tabOrder) {
  auto* strip = new QWidget(parent);
  auto* layout = new QHBoxLayout(strip);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (const ToolDesc& entry : desc.buttons) {
    auto* button = new QToolButton(strip);
    button->setObjectName(entry.key);
    button->setIcon(BundledIcon(entry.picture));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(entry.tip);
    button->setAccessibleName(entry.tip);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(button);
    made.byId[entry.id] = button;
    tabOrder.push_back(button);
  }
  return strip;
}

// More entries than a list box shows at once, and more than a collection holds.
constexpr int kListFirstBatch = 20;
constexpr int kListWholeBatch = 1 << 20;

// The entries of a list are measured (their text shaped) as the list lays them out.
// A list in batches lays out its first screenful as it is shown; this lays out the rest
// in one batch as soon as events run after that (the window is then on its way to the
// screen), or before the list takes a key or a click if that comes first, which would
// otherwise move in the part already laid out. Every later list is laid out at once.
class RestOfListAfterShow : public QObject {
 public:
  explicit RestOfListAfterShow(QListView* list) : QObject(list), list_(list) {
    list->setLayoutMode(QListView::Batched);
    list->setBatchSize(kListFirstBatch);
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Show:
        // The viewport is shown with the list: one timer is enough.
        if (watched == list_) QTimer::singleShot(0, this, &RestOfListAfterShow::LayOutTheRest);
        break;
      case QEvent::ShortcutOverride:
      case QEvent::KeyPress:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
        LayOutTheRest();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void LayOutTheRest() {
    if (list_->layoutMode() == QListView::SinglePass) return;
    list_->setLayoutMode(QListView::SinglePass);
    list_->setBatchSize(kListWholeBatch);
    static_cast<QAbstractItemView*>(list_)->doItemsLayout();
    list_->removeEventFilter(this);
    list_->viewport()->removeEventFilter(this);
  }

  QListView* list_;
};

// A list's hint, shown inside it while it holds no entry and given to assistive
// technology as its description meanwhile.
class EmptyListHint : public QObject {
 public:
  EmptyListHint(QListWidget* list, const QString& hint) : QObject(list), list_(list), hint_(hint) {
    list->viewport()->installEventFilter(this);
    QAbstractItemModel* model = list->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &EmptyListHint::Follow);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &EmptyListHint::Follow);
    connect(model, &QAbstractItemModel::modelReset, this, &EmptyListHint::Follow);
    // A list being destroyed empties its model after its own parts are gone: the viewport,
    // made before the model, goes first, and with it the hint stops following.
    connect(list->viewport(), &QObject::destroyed, this,
            [this, model] { disconnect(model, nullptr, this, nullptr); });
    Follow();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // Drawn over the viewport's background before the list draws its (no) entries.
    if (event->type() == QEvent::Paint && watched == list_->viewport() && list_->count() == 0) {
      QPainter painter(list_->viewport());
      painter.setPen(list_->palette().color(QPalette::PlaceholderText));
      const int margin = list_->fontMetrics().averageCharWidth();
      painter.drawText(list_->viewport()->rect().adjusted(margin, margin / 2, -margin, 0),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, hint_);
    }
    return false;
  }

 private:
  void Follow() { list_->setAccessibleDescription(list_->count() == 0 ? hint_ : QString()); }

  QListWidget* list_;
  QString hint_;
};

QWidget* MakeWidget(const ControlDesc& desc, QWidget* parent) {
  switch (desc.kind) {
    case ControlKind::Label:
    case ControlKind::Heading:
    case ControlKind::Link: {
      // Plain text always: a text that looks like markup is shown as it is typed.
      auto* label = new QLabel(desc.text, parent);
      label->setTextFormat(Qt::PlainText);
      return label;
    }
    case ControlKind::TextBox:
      return new QLineEdit(parent);
    case ControlKind::TextArea: {
      auto* area = new QPlainTextEdit(parent);
      area->setTabChangesFocus(true);
      area->setLineWrapMode(QPlainTextEdit::NoWrap);
      return area;
    }
    case ControlKind::EditableList:
    case ControlKind::PickList:
      // An editable list gets its text field from its view (QComboBox::setLineEdit),
      // which connects to the field before the box does: a field made here would be
      // made, with its completer, only to be thrown away.
      return new QComboBox(parent);
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      // A long collection does not hold the window back.
      new RestOfListAfterShow(list);
      if (desc.text != nullptr) new EmptyListHint(list, desc.text);
      return list;
    }
    case ControlKind::CheckBox:
      return new QCheckBox(desc.text, parent);
    case ControlKind::PushButton: {
      auto* button = new QPushButton(desc.text, parent);
      button->setDefault(desc.isDefault);
      return button;
    }
    case ControlKind::DetailsPane:
      return new DetailsPane(parent);
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setAccessibleName(desc.text);
      return bar;
    }
    case ControlKind::Picture: {
      auto* picture = new QLabel(parent);
      const int side = Twips(desc.place.width);
      picture->setPixmap(QIcon(BundledPixmap(desc.picture)).pixmap(side, side));
      return picture;
    }
    case ControlKind::Frame:
    case ControlKind::ToolBar:
      break;
  }
  return nullptr;
}

}  // namespace

int MadeControls::IdOf(const QWidget* widget) const {
  for (size_t id = 1; widget != nullptr && id < byId.size(); ++id) {
    if (byId[id] == widget) return static_cast<int>(id);
  }
  return 0;
}

void SelectWholeText(QWidget* box) {
  if (auto* area = qobject_cast<QPlainTextEdit*>(box)) {
    area->selectAll();
  } else if (auto* edit = qobject_cast<QLineEdit*>(box)) {
    const int length = static_cast<int>(edit->text().size());
    edit->setSelection(length, -length);
  } else {
    return;
  }
  box->setFocus();
}

void MadeControls::Follow(QSize added) const {
  // A widget in a frame stands in the frame: the frame's own move is taken off its own.
  const auto moved = [&](std::size_t i, int& left, int& top) {
    const Anchor& a = anchors[i];
    left = Followed(0, a.left, added.width());
    top = Followed(0, a.top, added.height());
  };
  for (std::size_t i = 0; i < widgets.size(); ++i) {
    const Anchor& a = anchors[i];
    if (!a.Follows()) continue;
    int left = 0;
    int top = 0;
    moved(i, left, top);
    const int right = Followed(0, a.right, added.width());
    const int bottom = Followed(0, a.bottom, added.height());
    int frameLeft = 0;
    int frameTop = 0;
    if (frames[i] >= 0) moved(static_cast<std::size_t>(frames[i]), frameLeft, frameTop);
    const QRect& place = places[i];
    widgets[i]->setGeometry(place.left() + left - frameLeft, place.top() + top - frameTop,
                            place.width() + right - left, place.height() + bottom - top);
  }
}

MadeControls MakeControls(QWidget* client, const std::vector<ControlDesc>& controls) {
  MadeControls made;
  made.widgets.resize(controls.size());
  int ids = 1;
  for (const ControlDesc& desc : controls) {
    ids = std::max(ids, desc.id + 1);
    for (const ToolDesc& button : desc.buttons) ids = std::max(ids, button.id + 1);
  }
  made.byId.resize(static_cast<size_t>(ids));

  // The frames first: the room their captions take decides where each row stands. A
  // row is the frames of one top; each row moves down by what the rows above it need.
  struct Row {
    int top;
    int bottom;
    int extra;
  };
  std::vector<Row> rows;
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlDesc& desc = controls[i];
    if (desc.kind != ControlKind::Frame) continue;
    auto* frame = new QGroupBox(desc.text, client);
    frame->setObjectName(desc.name);
    frame->setFont(WindowFont(desc.font.points, desc.font.bold));
    made.widgets[i] = frame;
    const int bottom = desc.place.top + desc.place.height;
    auto row = std::find_if(rows.begin(), rows.end(),
                            [&](const Row& r) { return r.top == desc.place.top; });
    if (row == rows.end()) row = rows.insert(rows.end(), Row{desc.place.top, bottom, 0});
    row->bottom = std::max(row->bottom, bottom);
    row->extra = std::max(row->extra, CaptionExtra(frame));
  }
  auto above = [&rows](int top) {
    int extra = 0;
    for (const Row& row : rows) {
      if (row.bottom <= top) extra += row.extra;
    }
    return extra;
  };
  for (const Row& row : rows) made.extraHeight += row.extra;

  std::vector<QWidget*> tabOrder;
  QGroupBox* frame = nullptr;
  int frameExtra = 0;
  bool firstInFrame = false;
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlDesc& desc = controls[i];
    if (desc.kind == ControlKind::Frame) {
      frame = static_cast<QGroupBox*>(made.widgets[i]);
      frameExtra = 0;
      for (const Row& row : rows) {
        if (row.top == desc.place.top) frameExtra = row.extra;
      }
      frame->setGeometry(
          Place(desc.place).translated(0, above(desc.place.top)).adjusted(0, 0, 0, frameExtra));
      firstInFrame = true;
      continue;
    }
    QWidget* parent = desc.inFrame && frame != nullptr ? frame : client;
    QWidget* widget = desc.kind == ControlKind::ToolBar ? MakeToolBar(desc, parent, made, tabOrder)
                                                        : MakeWidget(desc, parent);
    made.widgets[i] = widget;
    if (desc.id > 0) made.byId[desc.id] = widget;
    if (desc.name != nullptr) widget->setObjectName(desc.name);
    widget->setGeometry(
        Place(desc.place).translated(0, desc.inFrame ? frameExtra : above(desc.place.top)));
    if (desc.kind != ControlKind::DetailsPane && desc.kind != ControlKind::Picture) {
      widget->setFont(WindowFont(desc.font.points, desc.font.bold));
    }
    if (desc.tip != nullptr) widget->setToolTip(desc.tip);
    if (desc.disabled) widget->setEnabled(false);
    // A frame's caption names the control it holds first, without the access key's mark.
    if (desc.inFrame && firstInFrame && frame != nullptr) {
      widget->setAccessibleName(QString(frame->title()).remove('&'));
    }
    firstInFrame = firstInFrame && !desc.inFrame;
    // A label's access key leads to the control after it.
    if (i > 0 && controls[i - 1].kind == ControlKind::Label) {
      static_cast<QLabel*>(made.widgets[i - 1])->setBuddy(widget);
    }
    // A link is a Tab stop too, as a link of a web page is.
    if (TakesTab(desc.kind) || desc.kind == ControlKind::Link) tabOrder.push_back(widget);
  }
  int frameIndex = -1;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].kind == ControlKind::Frame) {
      KeepInside(static_cast<QGroupBox*>(made.widgets[i]));
      frameIndex = static_cast<int>(i);
    }
    made.frames.push_back(controls[i].inFrame ? frameIndex : -1);
    made.anchors.push_back(controls[i].anchor);
  }
  for (QWidget* widget : made.widgets) made.places.push_back(widget->geometry());
  for (size_t i = 1; i < tabOrder.size(); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
  return made;
}

}  // namespace tavrin::qt
