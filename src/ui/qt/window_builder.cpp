#include "ui/qt/window_builder.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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
QWidget* MakeToolBar(const ControlSpec& spec, QWidget* parent, MadeControls& made,
                     std::vector<QWidget*>& tabOrder) {
  auto* strip = new QWidget(parent);
  auto* layout = new QHBoxLayout(strip);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (const ToolSpec& entry : spec.buttons) {
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

QWidget* MakeWidget(const ControlSpec& spec, QWidget* parent) {
  switch (spec.kind) {
    case ControlKind::Label:
    case ControlKind::Heading:
    case ControlKind::Link:
      return new QLabel(spec.text, parent);
    case ControlKind::TextBox:
      return new QLineEdit(parent);
    case ControlKind::EditableList:
    case ControlKind::PickList: {
      auto* box = new QComboBox(parent);
      box->setEditable(spec.kind == ControlKind::EditableList);
      return box;
    }
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      return list;
    }
    case ControlKind::CheckBox:
      return new QCheckBox(spec.text, parent);
    case ControlKind::PushButton: {
      auto* button = new QPushButton(spec.text, parent);
      button->setDefault(spec.isDefault);
      return button;
    }
    case ControlKind::DetailsPane:
      return new DetailsPane(parent);
    case ControlKind::Picture: {
      auto* picture = new QLabel(parent);
      const int side = Twips(spec.place.width);
      picture->setPixmap(QIcon(BundledPixmap(spec.picture)).pixmap(side, side));
      return picture;
    }
    case ControlKind::Frame:
    case ControlKind::ToolBar:
      break;
  }
  return nullptr;
}

bool TakesTab(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::EditableList:
    case ControlKind::PickList:
    case ControlKind::ListBox:
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
    case ControlKind::Link:
      return true;
    default:
      return false;
  }
}

}  // namespace

MadeControls MakeControls(QWidget* client, const std::vector<ControlSpec>& controls) {
  MadeControls made;
  made.widgets.resize(controls.size());
  int ids = 1;
  for (const ControlSpec& spec : controls) {
    ids = std::max(ids, spec.id + 1);
    for (const ToolSpec& button : spec.buttons) ids = std::max(ids, button.id + 1);
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
    const ControlSpec& spec = controls[i];
    if (spec.kind != ControlKind::Frame) continue;
    auto* frame = new QGroupBox(spec.text, client);
    frame->setObjectName(spec.name);
    frame->setFont(WindowFont(spec.font.points, spec.font.bold));
    made.widgets[i] = frame;
    const int bottom = spec.place.top + spec.place.height;
    auto row = std::find_if(rows.begin(), rows.end(),
                            [&](const Row& r) { return r.top == spec.place.top; });
    if (row == rows.end()) row = rows.insert(rows.end(), Row{spec.place.top, bottom, 0});
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
    const ControlSpec& spec = controls[i];
    if (spec.kind == ControlKind::Frame) {
      frame = static_cast<QGroupBox*>(made.widgets[i]);
      frameExtra = 0;
      for (const Row& row : rows) {
        if (row.top == spec.place.top) frameExtra = row.extra;
      }
      frame->setGeometry(
          Place(spec.place).translated(0, above(spec.place.top)).adjusted(0, 0, 0, frameExtra));
      firstInFrame = true;
      continue;
    }
    QWidget* parent = spec.inFrame && frame != nullptr ? frame : client;
    QWidget* widget = spec.kind == ControlKind::ToolBar ? MakeToolBar(spec, parent, made, tabOrder)
                                                        : MakeWidget(spec, parent);
    made.widgets[i] = widget;
    if (spec.id > 0) made.byId[spec.id] = widget;
    if (spec.name != nullptr) widget->setObjectName(spec.name);
    widget->setGeometry(
        Place(spec.place).translated(0, spec.inFrame ? frameExtra : above(spec.place.top)));
    if (spec.kind != ControlKind::DetailsPane && spec.kind != ControlKind::Picture) {
      widget->setFont(WindowFont(spec.font.points, spec.font.bold));
    }
    if (spec.tip != nullptr) widget->setToolTip(spec.tip);
    if (spec.disabled) widget->setEnabled(false);
    // A frame's caption names the control it holds first, without the access key's mark.
    if (spec.inFrame && firstInFrame && frame != nullptr) {
      widget->setAccessibleName(QString(frame->title()).remove('&'));
    }
    firstInFrame = firstInFrame && !spec.inFrame;
    // A label's access key leads to the control after it.
    if (i > 0 && controls[i - 1].kind == ControlKind::Label) {
      static_cast<QLabel*>(made.widgets[i - 1])->setBuddy(widget);
    }
    if (TakesTab(spec.kind)) tabOrder.push_back(widget);
  }
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].kind == ControlKind::Frame)
      KeepInside(static_cast<QGroupBox*>(made.widgets[i]));
  }
  for (size_t i = 1; i < tabOrder.size(); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
  return made;
}

}  // namespace tavrin::qt
