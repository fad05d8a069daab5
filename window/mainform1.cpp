#include "mainform1.h"

#include "error_report.h"
#include "field_filter.h"
#include "form_extras.h"
#include "group_box_style.h"
#include "reply_dispatch.h"
#include "ui_mainform1.h"

#include <QContextMenuEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>

#include <exception>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <variant>

namespace {

constexpr QPoint kWindowPosition{331, 273};
constexpr QSize kWindowOuterSize{628, 541};
constexpr int kHeadingPixelSize = 19;
const QString kOpenCaption = QStringLiteral("Open");
const QString kCloseCaption = QStringLiteral("Close");

// The form's font is "MS Sans Serif"; where it is missing, a sans with Arial's metrics
// comes closest: its captions still fit the fixed boxes of buttons and readings, and
// are only a few pixels wider than the form's (see growLabelsToCaptions).
void preferCompatibleFonts()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("Arial")});
}

// Labels size themselves to their caption, as the form's stored widths assume: one whose
// caption needs more than its stored box grows right and down from its place, never
// shrinks or moves, and stays within its maximum size (the reading labels are fixed).
void growLabelsToCaptions(QWidget* form)
{
    for (QLabel* label : form->findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue; // the logo
        const QSize needed = label->sizeHint().boundedTo(label->maximumSize());
        label->resize(label->size().expandedTo(needed));
    }
}

// Runs one handler's work; a failure is shown to the operator and changes nothing more.
template <typename Action> void reportingFailures(QWidget* window, Action&& action)
{
    try {
        action();
    } catch (const std::exception& failure) {
        reportError(window, QString::fromUtf8(failure.what()));
    }
}

std::string utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

// An editable combo box keeps its last index while the operator types over it; the
// typed text counts as a selection only when it names an item, otherwise there is none.
int selectedIndex(const QComboBox* combo)
{
    const int current = combo->currentIndex();
    if (current >= 0 && combo->itemText(current) == combo->currentText())
        return current;
    return combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

// An index without an item leaves the box with no selection and no text (an editable
// box empties its text when its index becomes -1).
void selectItem(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// The receive view shows the reply, one character per byte, up to its first NUL; the
// view itself ends a line at CR, LF or CR LF.
QString receiveViewText(const QByteArray& reply)
{
    const qsizetype nul = reply.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? reply : reply.left(nul));
}

} // namespace

Tmainform1::Tmainform1(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::Tmainform1>()), m_extras(new qv::FormExtras(*this))
{
    Q_INIT_RESOURCE(mainform1);
    preferCompatibleFonts();
    m_ui->setupUi(this);
    applyClassicLook();
    growLabelsToCaptions(this);
    move(kWindowPosition);
    installFieldFilters();
    connectCommands();
    connectLink();
    FormCreate();
}

Tmainform1::~Tmainform1() = default;

// What the form file cannot say: the heading's size in pixels, and group boxes drawn
// with their title on the frame line (a style for them alone; their children keep the
// application's style).
void Tmainform1::applyClassicLook()
{
    QFont heading = m_ui->Label59->font();
    heading.setPixelSize(kHeadingPixelSize);
    m_ui->Label59->setFont(heading);

    auto* groupBoxStyle = new GroupBoxStyle;
    groupBoxStyle->setParent(this);
    for (QGroupBox* box : findChildren<QGroupBox*>())
        box->setStyle(groupBoxStyle);
}

bool Tmainform1::PortOpen() const
{
    return m_link.isOpen();
}

// The port starts closed (the link is created so); the operator may pick a port and open it.
void Tmainform1::FormCreate()
{
    m_ui->Button10->setEnabled(true);
    m_ui->SPREALCOM->setEnabled(true);
}

void Tmainform1::installFieldFilters()
{
    for (QLineEdit* field : {m_ui->DAVL, m_ui->DAVH, m_ui->AD1H, m_ui->AD1L, m_ui->AD1LD,
                             m_ui->AD2H, m_ui->AD2L, m_ui->AD2LD})
        new FieldFilter(qv::FieldFilter::Numeric, field);
    new FieldFilter(qv::FieldFilter::Address, m_ui->Station);
}

void Tmainform1::connectCommands()
{
    connect(m_ui->Button10, &QPushButton::clicked, this, &Tmainform1::Button10Click);
    connect(m_ui->Button14, &QPushButton::clicked, this, &Tmainform1::Button14Click);
    connect(m_ui->Button32, &QPushButton::clicked, this, &Tmainform1::Button32Click);
    connect(m_ui->Button124, &QPushButton::clicked, this, &Tmainform1::Button124Click);
    connect(m_ui->Button3, &QPushButton::clicked, this, &Tmainform1::Button3Click);
    connect(m_ui->Button4, &QPushButton::clicked, this, &Tmainform1::Button4Click);
    connect(m_ui->Button188, &QPushButton::clicked, this, &Tmainform1::Button188Click);
    connect(m_ui->Button52, &QPushButton::clicked, this, &Tmainform1::Button52Click);
    connect(m_ui->AD1SET, &QPushButton::clicked, this, &Tmainform1::AD1SETClick);
    connect(m_ui->AD2SET, &QPushButton::clicked, this, &Tmainform1::AD2SETClick);
    connect(m_ui->Button1, &QPushButton::clicked, this, &Tmainform1::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &Tmainform1::Button2Click);
    connect(m_ui->Button58, &QPushButton::clicked, this, &Tmainform1::Button58Click);
}

void Tmainform1::connectLink()
{
    connect(&m_link, &qv::SerialLink::opened, this, &Tmainform1::linkOpened);
    connect(&m_link, &qv::SerialLink::openFailed, this, &Tmainform1::linkOpenFailed);
    connect(&m_link, &qv::SerialLink::connectionLost, this, &Tmainform1::linkLost);
    connect(&m_link, &qv::SerialLink::chunkReceived, this, &Tmainform1::Comm1ReceiveData);
    connect(&m_link, &qv::SerialLink::settleTimerExpired, this, &Tmainform1::Timer6Timer);
}

void Tmainform1::setPortName(const QString& name)
{
    m_ui->SPREALCOM->setEditText(name);
}

// Right-clicks on the form's background, a group box or a label come here; the edits
// and lists keep their own menus.
void Tmainform1::contextMenuEvent(QContextMenuEvent* event)
{
    m_extras->showContextMenu(event->globalPos());
}

// Open/Close: the caption turns to "Close" only once the port has really opened, so a
// failed open leaves the window closed and the next press simply tries again.
void Tmainform1::Button10Click()
{
    if (m_link.isOpen()) {
        m_link.close();
        showClosed();
        return;
    }
    m_link.open(m_ui->SPREALCOM->currentText());
}

void Tmainform1::linkOpened()
{
    m_ui->Button10->setText(kCloseCaption);
    m_ui->Button14->setEnabled(true);
}

void Tmainform1::linkOpenFailed(const QString& message)
{
    reportError(this, message);
}

// The device went away: the link is already closed; the window shows it closed before
// telling the operator, once.
void Tmainform1::linkLost(const QString& message)
{
    showClosed();
    reportError(this, message);
}

void Tmainform1::showClosed()
{
    m_ui->Button10->setText(kOpenCaption);
    m_ui->Button14->setEnabled(false);
}

// "Clear Buffer" empties the receive view.
void Tmainform1::Button58Click()
{
    m_ui->Memo8->clear();
}

// Composes the command's frame from the fields, records what its answer will be, shows
// the frame and hands it to the link. A field that cannot be sent stops everything.
void Tmainform1::runCommand(qv::Command command)
{
    reportingFailures(this, [&] {
        const qv::CommandFrame frame = qv::buildCommand(command, snapshotFields());
        m_link.beginCommand(frame.requestCode.value_or(qv::RequestCode::rcIdle));
        if (frame.showInSendView)
            m_ui->discomm->setText(QString::fromLatin1(frame.bytes));
        m_ui->Memo8->clear();
        m_link.send(QByteArray::fromStdString(frame.bytes));
    });
}

qv::FieldSnapshot Tmainform1::snapshotFields() const
{
    qv::FieldSnapshot fields;
    fields.station = utf8(m_ui->Station->text());
    fields.baudIndex = selectedIndex(m_ui->MR485BT);
    fields.parityIndex = selectedIndex(m_ui->MR485JN);
    fields.outputVariableIndex = selectedIndex(m_ui->ComboBox1);
    fields.davl = utf8(m_ui->DAVL->text());
    fields.davh = utf8(m_ui->DAVH->text());
    fields.ad1h = utf8(m_ui->AD1H->text());
    fields.ad1l = utf8(m_ui->AD1L->text());
    fields.ad1ld = utf8(m_ui->AD1LD->text());
    fields.ad2h = utf8(m_ui->AD2H->text());
    fields.ad2l = utf8(m_ui->AD2L->text());
    fields.ad2ld = utf8(m_ui->AD2LD->text());
    fields.edit1 = utf8(m_ui->Edit1->text());
    fields.edit2 = utf8(m_ui->Edit2->text());
    return fields;
}

void Tmainform1::setFields(const qv::FieldSnapshot& fields)
{
    const auto text = [](const std::string& value) { return QString::fromStdString(value); };
    m_ui->Station->setText(text(fields.station));
    selectItem(m_ui->MR485BT, fields.baudIndex);
    selectItem(m_ui->MR485JN, fields.parityIndex);
    selectItem(m_ui->ComboBox1, fields.outputVariableIndex);
    m_ui->DAVL->setText(text(fields.davl));
    m_ui->DAVH->setText(text(fields.davh));
    m_ui->AD1H->setText(text(fields.ad1h));
    m_ui->AD1L->setText(text(fields.ad1l));
    m_ui->AD1LD->setText(text(fields.ad1ld));
    m_ui->AD2H->setText(text(fields.ad2h));
    m_ui->AD2L->setText(text(fields.ad2l));
    m_ui->AD2LD->setText(text(fields.ad2ld));
    m_ui->Edit1->setText(text(fields.edit1));
    m_ui->Edit2->setText(text(fields.edit2));
}

void Tmainform1::Comm1ReceiveData()
{
    m_ui->Memo8->setPlainText(receiveViewText(m_link.latestReply()));
}

// The answer has settled: fill the fields it names, then move the pending request on.
// A failed extraction is reported last, after the fills made before it and with the
// request still pending, so the next chunk is read again as the same answer.
void Tmainform1::Timer6Timer()
{
    reportingFailures(this, [&] {
        const QByteArray& reply = m_link.latestReply();
        const qv::DispatchOutcome outcome = qv::dispatchReply(
            m_link.requestCode(), std::string_view(reply.constData(), reply.size()));
        for (const qv::Assignment& assignment : outcome.extraction.assignments)
            apply(assignment);
        m_link.setRequestCode(outcome.next);
        if (outcome.clearLatestReply)
            m_link.clearLatestReply();
        if (outcome.extraction.error)
            reportError(this, QString::fromLatin1(*outcome.extraction.error));
    });
}

// Answer bytes become text one character per byte; a list index selects an item.
void Tmainform1::apply(const qv::Assignment& assignment)
{
    QWidget* target = targetWidget(assignment.target);
    if (auto* combo = qobject_cast<QComboBox*>(target)) {
        selectItem(combo, std::get<int>(assignment.value));
        return;
    }
    const std::string& bytes = std::get<std::string>(assignment.value);
    const QString text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    if (auto* edit = qobject_cast<QLineEdit*>(target))
        edit->setText(text);
    else
        qobject_cast<QLabel*>(target)->setText(text);
}

QWidget* Tmainform1::targetWidget(qv::Target target) const
{
    using qv::Target;
    const std::pair<Target, QWidget*> widgets[] = {
        {Target::Station, m_ui->Station}, {Target::MR485BT, m_ui->MR485BT},
        {Target::MR485JN, m_ui->MR485JN}, {Target::ComboBox1, m_ui->ComboBox1},
        {Target::DAVL, m_ui->DAVL},       {Target::DAVH, m_ui->DAVH},
        {Target::Edit1, m_ui->Edit1},     {Target::Edit2, m_ui->Edit2},
        {Target::AD1H, m_ui->AD1H},       {Target::AD1L, m_ui->AD1L},
        {Target::AD1LD, m_ui->AD1LD},     {Target::AD2H, m_ui->AD2H},
        {Target::AD2L, m_ui->AD2L},       {Target::AD2LD, m_ui->AD2LD},
        {Target::AD1XS, m_ui->AD1XS},     {Target::AD2XS, m_ui->AD2XS},
        {Target::AD3XS, m_ui->AD3XS},
    };
    for (const auto& [name, widget] : widgets) {
        if (name == target)
            return widget;
    }
    throw std::logic_error("an answer names a field the window does not have");
}

void Tmainform1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_outerSizeFitted)
        return;
    m_outerSizeFitted = true;
    fitOuterSize();
    // Window managers report the frame only once it is drawn; fit again then.
    QTimer::singleShot(0, this, &Tmainform1::fitOuterSize);
}

// Sizes the window so that its frame, not just its client area, has the form's size.
void Tmainform1::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(kWindowOuterSize - frame);
}
