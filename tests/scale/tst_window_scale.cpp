// The window at the scale QT_SCALE_FACTOR asks for (run at 1 and at 2): every control
// where the form puts it in device-independent pixels, drawn at the scale's pixel
// density, inside its parent, clear of its neighbours, and with its caption whole.
// With QV_SCREENSHOT_DIR set, the window is also written there as window-<percent>.png.

#include "error_report.h"
#include "mainform1.h"

#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <memory>

namespace {

// A control's place on its parent as the form gives it. An empty size marks a label
// whose size the form leaves to its caption.
struct Placement
{
    QString name;
    QString parent;
    QRect box;
};

QList<Placement> formPlacements()
{
    QList<Placement> rows;
    const auto row = [&rows](const char* name, const char* parent, int x, int y, int w, int h) {
        rows.append({name, parent, QRect(x, y, w, h)});
    };
    const auto sizedByCaption = [&rows](const char* name, const char* parent, int x, int y) {
        rows.append({name, parent, QRect(QPoint(x, y), QSize())});
    };
    row("Image1", "mainform1", 8, 8, 81, 33);
    row("Label59", "mainform1", 128, 8, 329, 24);
    sizedByCaption("Label9", "mainform1", 480, 8);
    sizedByCaption("Label11", "mainform1", 488, 24);
    sizedByCaption("Label10", "mainform1", 480, 40);
    row("Button3", "mainform1", 496, 112, 97, 25);
    row("Button32", "mainform1", 496, 160, 97, 25);
    row("Button124", "mainform1", 496, 208, 97, 25);
    row("Label353", "mainform1", 16, 400, 65, 13);
    row("discomm", "mainform1", 88, 400, 505, 21);
    row("Label354", "mainform1", 8, 432, 81, 17);
    row("Memo8", "mainform1", 88, 432, 505, 49);
    row("Button58", "mainform1", 8, 456, 73, 25);

    row("GroupBox3", "mainform1", 24, 40, 441, 57);
    row("Label4", "GroupBox3", 24, 28, 49, 17);
    row("SPREALCOM", "GroupBox3", 80, 24, 73, 21);
    row("Button10", "GroupBox3", 200, 24, 57, 25);
    row("Button14", "GroupBox3", 296, 24, 113, 25);

    row("GroupBox14", "mainform1", 24, 104, 233, 97);
    sizedByCaption("Label45", "GroupBox14", 48, 16);
    sizedByCaption("Label46", "GroupBox14", 93, 16);
    sizedByCaption("Label47", "GroupBox14", 133, 16);
    sizedByCaption("Label69", "GroupBox14", 8, 36);
    row("AD1H", "GroupBox14", 40, 32, 41, 21);
    row("AD1L", "GroupBox14", 88, 32, 41, 21);
    row("AD1LD", "GroupBox14", 136, 32, 41, 21);
    row("AD1SET", "GroupBox14", 184, 32, 41, 20);
    sizedByCaption("Label70", "GroupBox14", 8, 68);
    row("AD2H", "GroupBox14", 40, 64, 41, 21);
    row("AD2L", "GroupBox14", 88, 64, 41, 21);
    row("AD2LD", "GroupBox14", 136, 64, 41, 21);
    row("AD2SET", "GroupBox14", 184, 64, 41, 20);

    row("GroupBox1", "mainform1", 264, 104, 201, 97);
    sizedByCaption("Label6", "GroupBox1", 72, 8);
    sizedByCaption("Label7", "GroupBox1", 96, 24);
    sizedByCaption("Label1", "GroupBox1", 16, 44);
    row("Edit1", "GroupBox1", 48, 40, 57, 21);
    row("Button1", "GroupBox1", 128, 40, 41, 20);
    sizedByCaption("Label2", "GroupBox1", 16, 72);
    row("Edit2", "GroupBox1", 48, 68, 57, 21);
    row("Button2", "GroupBox1", 128, 68, 41, 20);

    row("GroupBox13", "mainform1", 24, 208, 441, 49);
    row("Label92", "GroupBox13", 8, 24, 89, 17);
    row("ComboBox1", "GroupBox13", 104, 16, 65, 21);
    sizedByCaption("Label3", "GroupBox13", 184, 24);
    row("DAVL", "GroupBox13", 210, 16, 49, 21);
    sizedByCaption("Label5", "GroupBox13", 272, 24);
    row("DAVH", "GroupBox13", 304, 16, 49, 21);
    row("Button52", "GroupBox13", 368, 16, 41, 20);

    row("GroupBox39", "mainform1", 24, 266, 441, 81);
    row("Label8", "GroupBox39", 8, 24, 97, 21);
    row("Station", "GroupBox39", 104, 19, 57, 21);
    row("Button4", "GroupBox39", 368, 16, 41, 20);
    sizedByCaption("Label419", "GroupBox39", 32, 52);
    row("MR485BT", "GroupBox39", 104, 48, 73, 21);
    sizedByCaption("Label422", "GroupBox39", 208, 52);
    row("MR485JN", "GroupBox39", 248, 48, 73, 21);
    row("Button188", "GroupBox39", 368, 48, 41, 20);

    row("GroupBox2", "mainform1", 24, 352, 441, 41);
    sizedByCaption("Label289", "GroupBox2", 16, 16);
    row("AD1XS", "GroupBox2", 64, 16, 33, 13);
    sizedByCaption("Label292", "GroupBox2", 184, 16);
    row("AD2XS", "GroupBox2", 216, 16, 33, 13);
    sizedByCaption("Label294", "GroupBox2", 320, 16);
    row("AD3XS", "GroupBox2", 360, 16, 33, 13);
    return rows;
}

// The scale the run asks for; without QT_SCALE_FACTOR it is 1.
qreal requestedScale()
{
    bool ok = false;
    const qreal factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? factor : 1.0;
}

// A label that sizes itself to its caption (the reading labels have a fixed size).
bool growsToCaption(const QWidget* widget)
{
    const auto* label = qobject_cast<const QLabel*>(widget);
    return label && !label->text().isEmpty() && label->minimumSize() != label->maximumSize();
}

// Trailing blanks draw nothing, so they may run past the box (a reading label's
// "00000" is followed by blanks).
QString visibleText(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

// Where a control draws its caption.
QRect captionArea(const QWidget* widget)
{
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    return widget->contentsRect();
}

// The group box's title box as its style lays it out for the given title.
QRect titleArea(const QGroupBox* box, const QString& title)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = title;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                                        box);
}

QString describe(const QRect& r)
{
    return QString("(%1, %2, %3 x %4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class WindowScaleTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void pixelDensityFollowsScale();
    void everyControlHasAPlacement();
    void placement_data();
    void placement();
    void insideItsParent_data() { placement_data(); }
    void insideItsParent();
    void overlapsOnlyWhereTheFormDoes_data() { placement_data(); }
    void overlapsOnlyWhereTheFormDoes();
    void captionFits_data();
    void captionFits();
    void groupTitleFits_data();
    void groupTitleFits();
    void screenshotWhenAsked();

private:
    QWidget* control(const QString& name) const;

    std::unique_ptr<Tmainform1> m_window;
    QStringList m_reports;
};

void WindowScaleTest::initTestCase()
{
    setErrorReportSink([this](const QString&, const QString& text) { m_reports.append(text); });
    m_window = std::make_unique<Tmainform1>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The window fits its outer size once more after the first frame is drawn.
    QTest::qWait(50);
}

void WindowScaleTest::cleanupTestCase()
{
    m_window.reset();
    setErrorReportSink({});
    QCOMPARE(m_reports, QStringList());
}

QWidget* WindowScaleTest::control(const QString& name) const
{
    return m_window->findChild<QWidget*>(name);
}

void WindowScaleTest::pixelDensityFollowsScale()
{
    const qreal scale = requestedScale();
    QCOMPARE(m_window->devicePixelRatio(), scale);
    const QPixmap picture = m_window->grab();
    QCOMPARE(picture.devicePixelRatio(), scale);
    QCOMPARE(picture.size(), m_window->size() * scale);
}

// A control missing from the table would escape every check below.
void WindowScaleTest::everyControlHasAPlacement()
{
    QStringList placed;
    for (const Placement& p : formPlacements())
        placed << p.name;
    QStringList missing;
    QList<QWidget*> parents{m_window.get()};
    for (QGroupBox* box : m_window->findChildren<QGroupBox*>())
        parents << box;
    for (QWidget* parent : parents) {
        for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!placed.contains(child->objectName()))
                missing << child->objectName();
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable("no placement for " + missing.join(", ")));
}

void WindowScaleTest::placement_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("box");
    for (const Placement& p : formPlacements()) {
        const QString sentence =
            p.box.isEmpty() ? QString("%1 stands at (%2, %3) on %4, sized by its caption")
                                  .arg(p.name)
                                  .arg(p.box.x())
                                  .arg(p.box.y())
                                  .arg(p.parent)
                            : QString("%1 fills %2 on %3").arg(p.name, describe(p.box), p.parent);
        QTest::newRow(qPrintable(sentence)) << p.name << p.parent << p.box;
    }
}

// Geometry in device-independent pixels is the form's at every scale, drawn at the
// scale's pixel density. A label keeps its stored size unless its caption needs more;
// then it grows right and down, just to the caption, and never moves.
void WindowScaleTest::placement()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, box);
    QWidget* widget = control(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->devicePixelRatio(), requestedScale());
    QCOMPARE(widget->pos(), box.topLeft());
    if (box.isEmpty())
        return;
    if (growsToCaption(widget))
        QCOMPARE(widget->size(), box.size().expandedTo(widget->sizeHint()));
    else
        QCOMPARE(widget->size(), box.size());
}

void WindowScaleTest::insideItsParent()
{
    QFETCH(QString, name);
    QWidget* widget = control(name);
    QVERIFY2(widget, qPrintable(name));
    const QRect parentArea = widget->parentWidget()->rect();
    QVERIFY2(parentArea.contains(widget->geometry()),
             qPrintable(QString("%1 %2 is cut by its parent %3")
                            .arg(name, describe(widget->geometry()), describe(parentArea))));
}

// Two neighbours may share only what their boxes in the form already share (the
// address label's box reaches one pixel into the address field, for one).
void WindowScaleTest::overlapsOnlyWhereTheFormDoes()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, box);
    QWidget* widget = control(name);
    QVERIFY2(widget, qPrintable(name));
    QStringList collisions;
    for (const Placement& other : formPlacements()) {
        if (other.parent != parent || other.name == name)
            continue;
        const QRect shared = widget->geometry() & control(other.name)->geometry();
        const QRect designed = box & other.box;
        if (!shared.isEmpty() && !designed.contains(shared))
            collisions << QString("%1 over %2").arg(other.name, describe(shared));
    }
    QVERIFY2(collisions.isEmpty(), qPrintable(name + " meets " + collisions.join(", ")));
}

void WindowScaleTest::captionFits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    for (const Placement& p : formPlacements()) {
        QWidget* widget = control(p.name);
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(widget))
            caption = label->text();
        else if (auto* button = qobject_cast<QPushButton*>(widget))
            caption = button->text();
        if (caption.isEmpty())
            continue;
        QTest::addRow("%s shows \"%s\" whole", qPrintable(p.name), qPrintable(caption))
            << p.name << caption;
    }
    // The Open/Close button shows either caption.
    QTest::newRow("Button10 shows \"Close\" whole") << "Button10"
                                                    << "Close";
}

void WindowScaleTest::captionFits()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QWidget* widget = control(name);
    QVERIFY2(widget, qPrintable(name));
    const QFontMetrics metrics(widget->font());
    const QSize needed(metrics.horizontalAdvance(visibleText(caption)), metrics.height());
    const QRect area = captionArea(widget);
    QVERIFY2(needed.width() <= area.width() && needed.height() <= area.height(),
             qPrintable(QString("\"%1\" in %2 needs %3 x %4 px, %5 has %6 x %7")
                            .arg(caption, QFontInfo(widget->font()).family())
                            .arg(needed.width())
                            .arg(needed.height())
                            .arg(name)
                            .arg(area.width())
                            .arg(area.height())));
}

void WindowScaleTest::groupTitleFits_data()
{
    QTest::addColumn<QString>("name");
    for (QGroupBox* box : m_window->findChildren<QGroupBox*>()) {
        QTest::addRow("%s shows \"%s\" whole", qPrintable(box->objectName()),
                      qPrintable(box->title()))
            << box->objectName();
    }
}

void WindowScaleTest::groupTitleFits()
{
    QFETCH(QString, name);
    auto* box = m_window->findChild<QGroupBox*>(name);
    QVERIFY2(box, qPrintable(name));
    const QRect title = titleArea(box, box->title());
    QVERIFY2(title.width() >= box->fontMetrics().horizontalAdvance(box->title()),
             qPrintable(describe(title)));
    QVERIFY2(box->rect().contains(title), qPrintable(describe(title)));
}

// For the record of how the window looks, not a check: written only when asked.
void WindowScaleTest::screenshotWhenAsked()
{
    const QString directory = qEnvironmentVariable("QV_SCREENSHOT_DIR");
    if (directory.isEmpty())
        QSKIP("QV_SCREENSHOT_DIR is not set");
    QVERIFY(QDir().mkpath(directory));
    const int percent = qRound(requestedScale() * 100);
    const QString path = QDir(directory).filePath(QString("window-%1.png").arg(percent));
    QVERIFY2(m_window->grab().save(path), qPrintable(path));
}

QTEST_MAIN(WindowScaleTest)
#include "tst_window_scale.moc"
