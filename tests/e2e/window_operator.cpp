#include "window_operator.h"

#include "error_report.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kOpenTimeoutMs = 5000;

} // namespace

QString parameterLine(const QMap<QString, QString>& values)
{
    QStringList pairs;
    for (const ParameterField& setting : kParameterFields) {
        const QString key = QString::fromLatin1(setting.key);
        pairs.append(key + '=' + values.value(key, QStringLiteral("<missing>")));
    }
    return pairs.join(' ');
}

WindowOperator::WindowOperator() : m_window(std::make_unique<Tmainform1>())
{
    setErrorReportSink([this](const QString&, const QString& text) { m_reports.append(text); });
    m_window->show();
}

WindowOperator::~WindowOperator()
{
    m_window.reset();
    setErrorReportSink({});
}

bool WindowOperator::open(const QString& address)
{
    QLineEdit* portName = control<QComboBox>("SPREALCOM")->lineEdit();
    portName->selectAll();
    QTest::keyClicks(portName, address);
    click("Button10");
    return QTest::qWaitFor([this] { return shown("Button10") == "Close"; }, kOpenTimeoutMs) &&
           m_window->PortOpen();
}

void WindowOperator::click(const char* buttonName)
{
    QTest::mouseClick(control<QPushButton>(buttonName), Qt::LeftButton);
}

void WindowOperator::retype(const char* fieldName, const QString& text)
{
    auto* field = control<QLineEdit>(fieldName);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

bool WindowOperator::pick(const char* comboName, const QString& item)
{
    auto* combo = control<QComboBox>(comboName);
    const int target = combo->findText(item);
    if (target < 0)
        return false;
    for (int presses = 0; presses < combo->count() && combo->currentIndex() != target; ++presses)
        QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    return combo->currentIndex() == target && combo->currentText() == item;
}

QString WindowOperator::shown(const char* name) const
{
    QWidget* widget = control<QWidget>(name);
    if (auto* view = qobject_cast<QPlainTextEdit*>(widget))
        return view->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text();
    return QStringLiteral("<no control named %1>").arg(QString::fromLatin1(name));
}

QMap<QString, QString> WindowOperator::parameters() const
{
    QMap<QString, QString> values;
    for (const ParameterField& setting : kParameterFields) {
        const QString key = QString::fromLatin1(setting.key);
        if (auto* combo = control<QComboBox>(setting.field))
            values.insert(key, QString::number(combo->currentIndex()));
        else
            values.insert(key, shown(setting.field));
    }
    return values;
}

QStringList WindowOperator::takeReports()
{
    return std::exchange(m_reports, {});
}
