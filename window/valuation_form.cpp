#include "window/valuation_form.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QToolTip>
#include <QUrl>

#include "form/segment_rate_entry.h"
#include "window/icon.h"
#include "window/segment_rates_menu.h"
#include "window/window_layout.h"
#include "window/window_text.h"
#include "window/workbook_file.h"

namespace orvane::window {

using form::CaptionOf;
using form::ControlKind;
using form::KindOf;
using form::NameOf;
namespace {

using layout::kBodyPoints;
using layout::Twips;

// The control at fault is marked with this background until a recalculation succeeds.
const QColor kFaultColour(255, 214, 214);

}  // namespace

ValuationForm::ValuationForm(FormEnvironment environment, FileOpener open_file, QWidget* parent)
    : QWidget(parent), model_(std::move(environment)), open_file_(std::move(open_file)) {
  if (!open_file_) {
    open_file_ = [](const QString& path) {
      return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
  }
  setObjectName(QStringLiteral("Orvane"));
  setWindowTitle(QStringLiteral("Orvane"));
  setWindowIcon(QIcon(DrawOrvaneIcon()));
  setFont(FormFont(kBodyPoints, false));
  dpi_ = logicalDpiX();
  const Twips& band = layout::kFailureBand;
  setFixedSize(Pixels(layout::kDesignedWidth),
               Pixels(band.top + band.height + layout::kBottomMargin));

  BuildFrames();
  BuildLabels();
  BuildMessageArea();
  BuildResultArea();
  BuildFailureBand();
  BuildControls();
  SetTabOrder();

  connect(qApp, &QApplication::focusChanged, this, &ValuationForm::OnFocusChanged);
  model_.SetChangeListener([this] { Refresh(); });

  // The window load event: the form's start-up, then the choosers' lists.
  Forward([this] { model_.Load(); });
  QStringList entries;
  for (const std::string& entry : model_.TableList()) entries << FromForm(entry);
  for (int i = 0; i < kControlCount; ++i) {
    if (KindOf(static_cast<Control>(i)) != ControlKind::kTableChooser)
      continue;
    auto* combo = static_cast<QComboBox*>(WidgetOf(static_cast<Control>(i)));
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(entries);
    FitChooserList(combo, entries);
  }
  Refresh();
  WidgetOf(Control::CurrentAge)->setFocus(Qt::OtherFocusReason);
}

// "417(e) segment rates of..." in an interest field's context menu: the month chosen enters its
// rates as a user types them, the plan's terms their 417(e) basis.
void ValuationForm::OnInterestMenu(QLineEdit* edit, const QPoint& at) {
  if (!AskedForSegmentRates(edit, at))
    return;
  const SegmentRatesChoice choice = ChooseSegmentRates(model_, this);
  if (!choice.problem.isEmpty())
    ShowNote(choice.problem);
  else if (choice.month)
    Forward([&] { form::EnterSegmentRates(model_, *choice.month); });
  else if (choice.terms)
    Forward([&] { form::ApplyLumpSumBasis(model_, *choice.terms, *choice.file); },
            [this](const std::string& reason) { ShowNote(QString::fromStdString(reason)); });
}

ValuationForm::~ValuationForm() {
  // The children die after this body; no focus change or model notice may reach a half-destroyed
  // window.
  disconnect(qApp, &QApplication::focusChanged, this, &ValuationForm::OnFocusChanged);
  model_.SetChangeListener({});
}

QWidget* ValuationForm::WidgetOf(Control control) const {
  return widgets_[static_cast<std::size_t>(control)];
}

std::optional<Control> ValuationForm::ControlOf(const QWidget* widget) const {
  // Walk up to the control that owns a child widget, but never out of a popup or dialog window.
  for (const QWidget* w = widget; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
    for (int i = 0; i < kControlCount; ++i) {
      if (widgets_[static_cast<std::size_t>(i)] == w)
        return static_cast<Control>(i);
    }
  }
  return std::nullopt;
}

int ValuationForm::Pixels(int twips) const {
  return qRound(twips * dpi_ / 1440.0);
}

void ValuationForm::Place(QWidget* widget, const Twips& place) const {
  // Both edges are rounded, not the width, so that neighbours that touch in twips touch on screen.
  widget->setGeometry(Pixels(place.left), Pixels(place.top),
                      Pixels(place.left + place.width) - Pixels(place.left),
                      Pixels(place.top + place.height) - Pixels(place.top));
}

void ValuationForm::BuildFrames() {
  for (const layout::FrameSpec& entry : layout::Frames()) {
    QWidget* parent = entry.parent ? findChild<QWidget*>(QLatin1String(entry.parent)) : this;
    QWidget* frame = nullptr;
    if (entry.caption)
      frame = new QGroupBox(QString::fromLatin1(entry.caption), parent);
    else
      frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(entry.name));
    Place(frame, entry.place);
  }
  findChild<QWidget*>(QStringLiteral("Frame5"))->setFont(FormFont(layout::kCaptionPoints, true));
}

void ValuationForm::BuildLabels() {
  for (const layout::LabelSpec& entry : layout::Labels()) {
    const layout::LabelCaption& caption = entry.caption;
    auto* label = new QLabel(
        caption.beside ? FromForm(CaptionOf(*caption.beside)) : QString::fromLatin1(caption.text),
        findChild<QWidget*>(QLatin1String(entry.frame)));
    label->setObjectName(QLatin1String(entry.name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Place(label, entry.place);
    FitCaption(label);
  }
}

void ValuationForm::BuildMessageArea() {
  auto* frame = findChild<QWidget*>(QStringLiteral("Message"));
  auto* picture = new QLabel(frame);
  picture->setObjectName(QStringLiteral("Picture1"));
  picture->setPixmap(DrawOrvaneIcon());
  picture->setAlignment(Qt::AlignCenter);
  picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Place(picture, layout::kPicture);

  message_ = new QLabel(QStringLiteral("Calculate present values"), frame);
  message_->setObjectName(QStringLiteral("Label6"));
  message_->setWordWrap(true);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(message_, layout::kMessage);
}

void ValuationForm::BuildResultArea() {
  auto* frame = findChild<QWidget*>(QStringLiteral("Frame5"));
  result_ = new QLabel(frame);
  result_->setObjectName(QStringLiteral("orvaneresults"));
  result_->setFont(FormFont(layout::kResultPoints, true));
  result_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(result_, layout::kResult);
}

void ValuationForm::BuildFailureBand() {
  failure_ = new QLabel(this);
  failure_->setObjectName(QStringLiteral("FailureLine"));
  failure_->setFont(FormFont(layout::kFailurePoints, false));
  failure_->setWordWrap(true);
  failure_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  failure_->setTextFormat(Qt::PlainText);
  QPalette palette = failure_->palette();
  palette.setColor(QPalette::WindowText, QColor(Qt::darkRed));
  failure_->setPalette(palette);
  // The tooltip's sensitivities are computed when it is asked for (eventFilter), so that a
  // recalculation costs no more for them.
  result_->installEventFilter(this);
  Place(failure_, layout::kFailureBand);
}

void ValuationForm::BuildControls() {
  for (const layout::ControlSpec& entry : layout::Controls()) {
    QWidget* parent = entry.frame ? findChild<QWidget*>(QLatin1String(entry.frame)) : this;
    const QString caption = entry.captioned ? FromForm(CaptionOf(entry.control)) : QString();
    QWidget* widget = nullptr;
    switch (KindOf(entry.control)) {
      case ControlKind::kTextField:
        widget = new QLineEdit(parent);
        break;
      case ControlKind::kTableChooser: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        widget = combo;
        break;
      }
      case ControlKind::kCheckBox:
        widget = new QCheckBox(caption, parent);
        break;
      case ControlKind::kOptionButton: {
        auto* option = new QRadioButton(caption, parent);
        option->setAutoExclusive(false);  // the model keeps each group exclusive
        widget = option;
        break;
      }
      case ControlKind::kButton: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        widget = button;
        break;
      }
    }
    widget->setObjectName(QLatin1String(NameOf(entry.control).data(),
                                        static_cast<qsizetype>(NameOf(entry.control).size())));
    Place(widget, entry.place);
    if (entry.captioned && KindOf(entry.control) != ControlKind::kButton)
      FitCaption(widget);
    widgets_[static_cast<std::size_t>(entry.control)] = widget;
    normal_palettes_[static_cast<std::size_t>(entry.control)] = widget->palette();
    Connect(entry.control);

    // MouseMove of the control and of its parts (a chooser's line edit and arrow).
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    for (QWidget* part : widget->findChildren<QWidget*>()) {
      part->setMouseTracking(true);
      part->installEventFilter(this);
    }
  }
}

void ValuationForm::Connect(Control control) {
  QWidget* widget = WidgetOf(control);
  switch (KindOf(control)) {
    case ControlKind::kTextField:
      connect(static_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
              [this, control](const QString& text) { OnTextTyped(control, text); });
      if (control == Control::InterestRate1 || control == Control::InterestRate2 ||
          control == Control::InterestRate3) {
        auto* edit = static_cast<QLineEdit*>(widget);
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this,
                [this, edit](const QPoint& at) { OnInterestMenu(edit, at); });
      }
      break;
    case ControlKind::kTableChooser:
      // Typed or picked from the list; the program's own rewrites are blocked in Refresh.
      connect(static_cast<QComboBox*>(widget), &QComboBox::editTextChanged, this,
              [this, control](const QString& text) { OnTextTyped(control, text); });
      break;
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
    case ControlKind::kButton: {
      auto* button = static_cast<QAbstractButton*>(widget);
      connect(button, &QAbstractButton::clicked, this,
              [this, control, button] { OnButtonClicked(control, button); });
      break;
    }
  }
}

void ValuationForm::SetTabOrder() {
  const std::span<const Control> order = layout::TabOrder();
  for (std::size_t i = 1; i < order.size(); ++i)
    QWidget::setTabOrder(WidgetOf(order[i - 1]), WidgetOf(order[i]));
}

void ValuationForm::OnFocusChanged(QWidget* old_widget, QWidget* new_widget) {
  if (forwarding_)
    return;  // a dialog raised by an event under way; its focus moves are not the user's
  // Only a move between two controls of this window validates: losing the activation or opening
  // a chooser's list (a popup window) does not.
  const std::optional<Control> from = ControlOf(old_widget);
  const std::optional<Control> to = ControlOf(new_widget);
  if (from && to && *from != *to)
    Forward([this, from] { model_.Validate(*from); });
  if (to && to != focused_) {
    focused_ = to;
    Forward([this, to] { model_.GotFocus(*to); });
  }
}

void ValuationForm::OnTextTyped(Control control, const QString& text) {
  Forward([this, control, &text] { model_.SetText(control, ToForm(text)); });
}

void ValuationForm::OnButtonClicked(Control control, QAbstractButton* button) {
  switch (KindOf(control)) {
    case ControlKind::kCheckBox:
      Forward([this, control, button] {
        model_.SetChecked(control, button->isChecked());
        model_.Click(control);
      });
      break;
    case ControlKind::kOptionButton:
      // A click selects the button; a second click on a selected one changes nothing, as with
      // any option button, although Qt has toggled it off (Refresh shows the model's state).
      Forward([this, control] {
        model_.SetChecked(control, true);
        model_.Click(control);
      });
      break;
    case ControlKind::kButton:
      Forward([this, control] { model_.Click(control); });
      Export(control);
      break;
    default:
      break;
  }
}

void ValuationForm::Export(Control button) {
  const bool detail = button == Control::ExportDetail;
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
  const QString path =
      ReserveWorkbookFile(folder, detail ? QStringLiteral("Orvane Calculation Detail")
                                         : QStringLiteral("Orvane Mortality Tables"));
  if (path.isEmpty()) {
    ShowNote(QStringLiteral("The workbook was not written: no new file can be created in %1.")
                 .arg(QDir::toNativeSeparators(folder)));
    return;
  }
  const std::filesystem::path file(QFile::encodeName(path).toStdString());
  std::optional<std::string> failure;
  Forward(
      [this, detail, &file] {
        if (detail)
          model_.ExportDetail(file);
        else
          model_.ExportMortality(file);
      },
      [&failure](const std::string& reason) { failure = reason; });
  if (failure) {
    QFile::remove(path);
    ShowNote(QStringLiteral("The workbook was not written: %1").arg(FromForm(*failure)));
    return;
  }
  if (!open_file_(path)) {
    ShowNote(QStringLiteral("The workbook was written to\n%1\nbut no program could open it.")
                 .arg(QDir::toNativeSeparators(path)));
  }
}

void ValuationForm::Forward(const std::function<void()>& event, const Escaped& escaped) {
  const bool outer = !forwarding_;
  forwarding_ = true;
  try {
    event();
  } catch (const std::exception& error) {
    // Only the data-file question answered Cancel escapes the model's handlers; the program
    // ends on that answer, so this is seen when the question is answered by someone else.
    if (escaped)
      escaped(error.what());
    else
      model_.NoteFailure(error.what());
  }
  if (outer)
    forwarding_ = false;
  Refresh();
}

void ValuationForm::Refresh() {
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    QWidget* widget = WidgetOf(control);
    switch (KindOf(control)) {
      case ControlKind::kTextField: {
        auto* edit = static_cast<QLineEdit*>(widget);
        const QString text = FromForm(model_.Text(control));
        if (edit->text() != text) {
          const QSignalBlocker block(edit);
          edit->setText(text);
        }
        break;
      }
      case ControlKind::kTableChooser: {
        auto* combo = static_cast<QComboBox*>(widget);
        const QString text = FromForm(model_.Text(control));
        if (combo->currentText() != text) {
          const QSignalBlocker block(combo);
          combo->setEditText(text);
          combo->lineEdit()->setCursorPosition(0);
        }
        break;
      }
      case ControlKind::kCheckBox:
      case ControlKind::kOptionButton: {
        auto* button = static_cast<QAbstractButton*>(widget);
        const bool checked = model_.Checked(control);
        if (button->isChecked() != checked) {
          const QSignalBlocker block(button);
          button->setChecked(checked);
        }
        break;
      }
      case ControlKind::kButton:
        break;
    }
  }
  const QString message = FromForm(model_.Message());
  if (message_->text() != message)
    ShowFitted(message_, message, kBodyPoints, false);
  result_->setText(FromForm(model_.Result()));
  ShowFailureLine();
}

void ValuationForm::ShowFailureLine() {
  const QString text = Breakable(FromForm(model_.Failure()));
  if (failure_->text() != text) {
    failure_->setText(text);
    // The whole reason stays readable: a band too small for it makes the window taller.
    const int band =
        std::max(Pixels(layout::kFailureBand.height), failure_->heightForWidth(failure_->width()));
    failure_->resize(failure_->width(), band);
    setFixedSize(width(), failure_->y() + band + Pixels(layout::kBottomMargin));
  }
  MarkControlAtFault();
}

void ValuationForm::MarkControlAtFault() {
  const std::optional<Control> at_fault =
      model_.Failure().empty() ? std::nullopt : model_.FailureControl();
  for (int i = 0; i < kControlCount; ++i) {
    QWidget* widget = widgets_[static_cast<std::size_t>(i)];
    const bool mark = at_fault == static_cast<Control>(i);
    if (widget->property(kAtFault).toBool() == mark)
      continue;
    widget->setProperty(kAtFault, mark);
    QPalette palette = normal_palettes_[static_cast<std::size_t>(i)];
    if (mark) {
      for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
        palette.setColor(role, kFaultColour);
    }
    widget->setPalette(palette);
    // Check boxes and option buttons show the colour only on a filled background.
    if (KindOf(static_cast<Control>(i)) == ControlKind::kCheckBox ||
        KindOf(static_cast<Control>(i)) == ControlKind::kOptionButton)
      widget->setAutoFillBackground(mark);
  }
}

void ValuationForm::ShowNote(const QString& text) {
  auto* note =
      new QMessageBox(QMessageBox::Warning, QStringLiteral("Orvane"), text, QMessageBox::Ok, this);
  note->setObjectName(QStringLiteral("ExportNote"));
  note->setAttribute(Qt::WA_DeleteOnClose);
  note->setWindowModality(Qt::NonModal);
  note->show();
}

bool ValuationForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == result_ && event->type() == QEvent::ToolTip) {
    std::string text;
    Forward([this, &text] { text = model_.ResultToolTip(); });
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), FromForm(text), result_);
    return true;
  }
  if (event->type() == QEvent::MouseMove && !forwarding_) {
    if (const std::optional<Control> control = ControlOf(qobject_cast<QWidget*>(watched)))
      Forward([this, control] { model_.MouseMove(*control); });
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace orvane::window
