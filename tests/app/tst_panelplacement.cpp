#include "TestEnvironment.h"
#include "app/PanelPlacement.h"

#include <QTest>

using namespace PanelPlacement;

Q_DECLARE_METATYPE(PanelPlacement::DockEdge)

namespace {
// A 1440 x 900 screen at the origin, in flipped coordinates, with the given usable part.
ScreenFrames screen(const QRectF& visible) {
    return {QRectF(0, 0, 1440, 900), visible};
}
} // namespace

class TestPanelPlacement : public QObject {
    Q_OBJECT
private slots:
    void edgeAndThickness_data() {
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<DockEdge>("edge");
        QTest::addColumn<double>("thickness");
        // A menu bar of 25 along the top in every case but the last ones.
        QTest::newRow("bottom 70") << QRectF(0, 70, 1440, 805) << DockEdge::Bottom << 70.0;
        QTest::newRow("left 60") << QRectF(60, 0, 1380, 875) << DockEdge::Left << 60.0;
        QTest::newRow("right 60") << QRectF(0, 0, 1380, 875) << DockEdge::Right << 60.0;
        QTest::newRow("hidden, small top bar") << QRectF(0, 0, 1440, 897) << DockEdge::Bottom << 0.0;
        QTest::newRow("all gaps zero") << QRectF(0, 0, 1440, 900) << DockEdge::Bottom << 0.0;
        QTest::newRow("left and right tie") << QRectF(40, 0, 1360, 900) << DockEdge::Bottom << 0.0;
        QTest::newRow("left and bottom tie") << QRectF(40, 40, 1400, 860) << DockEdge::Bottom << 40.0;
        QTest::newRow("top panel 28") << QRectF(0, 0, 1440, 872) << DockEdge::Top << 28.0;
        QTest::newRow("top beside a 5 px bottom") << QRectF(0, 5, 1440, 867) << DockEdge::Top << 28.0;
        QTest::newRow("top and a 6 px bottom") << QRectF(0, 6, 1440, 866) << DockEdge::Bottom << 6.0;
    }
    void edgeAndThickness() {
        QFETCH(QRectF, visible);
        QFETCH(DockEdge, edge);
        QFETCH(double, thickness);
        QCOMPARE(dockEdge(screen(visible)), edge);
        QCOMPARE(dockThickness(screen(visible)), thickness);
    }

    void anchorFollowsTheDock_data() {
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<QPointF>("origin");
        QTest::newRow("bottom 70, x 800") << QRectF(0, 70, 1440, 805) << QPointF(799.5, 94);
        QTest::newRow("left 60") << QRectF(60, 0, 1380, 875) << QPointF(59.5, 333);
        QTest::newRow("right 60") << QRectF(0, 0, 1380, 875) << QPointF(1379.5, 333);
        QTest::newRow("hidden dock counts as 79") << QRectF(0, 0, 1440, 900) << QPointF(799.5, 103);
        QTest::newRow("a 5 px dock is a hidden one") << QRectF(0, 5, 1440, 895) << QPointF(799.5, 103);
        QTest::newRow("a 6 px dock is not") << QRectF(0, 6, 1440, 894) << QPointF(799.5, 30);
        QTest::newRow("top panel 28") << QRectF(0, 0, 1440, 872) << QPointF(799.5, 900 - 28 - 24);
    }
    void anchorFollowsTheDock() {
        QFETCH(QRectF, visible);
        QFETCH(QPointF, origin);
        QCOMPARE(anchorOrigin(screen(visible), 800, 333), origin);
    }

    void anchorOnAScreenAwayFromTheOrigin() {
        // A second screen to the right of and above the primary one, dock at its bottom.
        const ScreenFrames second{QRectF(1440, 200, 1000, 700), QRectF(1440, 240, 1000, 660)};
        QCOMPARE(anchorOrigin(second, 1900, 0), QPointF(1899.5, 200 + 40 + 24));
        const ScreenFrames secondLeft{QRectF(1440, 200, 1000, 700), QRectF(1490, 200, 950, 700)};
        QCOMPARE(anchorOrigin(secondLeft, 0, 500), QPointF(1440 + 50 - 0.5, 500));
    }

    void conversionRoundTrip() {
        // Qt: primary 1024 x 768 with a 30 px panel along the bottom.
        const ScreenFrames frames = flipped(QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 738), 768);
        QCOMPARE(frames.frame, QRectF(0, 0, 1024, 768));
        QCOMPARE(frames.visibleFrame, QRectF(0, 30, 1024, 738));
        QCOMPARE(dockEdge(frames), DockEdge::Bottom);
        const QPointF origin = anchorOrigin(frames, 500, 0);
        QCOMPARE(origin, QPointF(499.5, 54));
        // The anchor's top edge in Qt coordinates is 54 + 1 above the screen's bottom.
        QCOMPARE(anchorRect(origin, 768), QRectF(499.5, 713, 1, 1));
        QCOMPARE(flippedY(768 - 100, 768), 100.0);

        // A panel along the top of the same screen, in Qt coordinates.
        const ScreenFrames top = flipped(QRect(0, 0, 1024, 768), QRect(0, 30, 1024, 738), 768);
        QCOMPARE(dockEdge(top), DockEdge::Top);
        QCOMPARE(dockThickness(top), 30.0);
    }

    // The same small gap to the bar on every edge, whatever the bar's thickness, on every screen.
    void panelKeepsAnEvenGapToTheBar_data() {
        QTest::addColumn<DockEdge>("edge");
        QTest::addColumn<QRect>("usable");
        QTest::addColumn<QRectF>("anchor");
        QTest::newRow("bottom 30") << DockEdge::Bottom << QRect(0, 0, 1024, 738) << QRectF(499.5, 713, 1, 1);
        QTest::newRow("bottom 70") << DockEdge::Bottom << QRect(0, 0, 1024, 698) << QRectF(499.5, 673, 1, 1);
        QTest::newRow("top 30") << DockEdge::Top << QRect(0, 30, 1024, 738) << QRectF(499.5, 54, 1, 1);
        QTest::newRow("left 40") << DockEdge::Left << QRect(40, 0, 984, 768) << QRectF(39.5, 300, 1, 1);
        QTest::newRow("right 40") << DockEdge::Right << QRect(0, 0, 984, 768) << QRectF(983.5, 300, 1, 1);
        QTest::newRow("second screen, bottom")
            << DockEdge::Bottom << QRect(1024, 200, 1280, 994) << QRectF(1600.5, 1100, 1, 1);
        QTest::newRow("second screen, no bar")
            << DockEdge::Bottom << QRect(1024, 0, 1280, 1024) << QRectF(1600.5, 920, 1, 1);
    }
    void panelKeepsAnEvenGapToTheBar() {
        QFETCH(DockEdge, edge);
        QFETCH(QRect, usable);
        QFETCH(QRectF, anchor);
        const QRect panel = panelRect(anchor, edge, QSize(360, 440), usable);
        QVERIFY(usable.contains(panel));
        const int right = usable.x() + usable.width();
        const int bottom = usable.y() + usable.height();
        switch (edge) {
        case DockEdge::Bottom:
            QCOMPARE(bottom - (panel.y() + panel.height()), kBarGap);
            QCOMPARE(panel.center().x(), qRound(anchor.center().x()) - 1);
            break;
        case DockEdge::Top:
            QCOMPARE(panel.y() - usable.y(), kBarGap);
            break;
        case DockEdge::Left:
            QCOMPARE(panel.x() - usable.x(), kBarGap);
            QCOMPARE(panel.center().y(), 300);
            break;
        case DockEdge::Right:
            QCOMPARE(right - (panel.x() + panel.width()), kBarGap);
            break;
        }
    }

    void panelNeverLeavesTheUsableArea() {
        const QRect usable(0, 0, 1024, 738);
        // Pointer near the right end of a bottom panel: pushed left, not cut.
        const QRect nearRight =
            panelRect(QRectF(1020.5, 713, 1, 1), DockEdge::Bottom, QSize(360, 440), usable);
        QCOMPARE(nearRight.right(), usable.right());
        QCOMPARE(nearRight.size(), QSize(360, 440));
        // Pointer near the left end.
        QCOMPARE(panelRect(QRectF(2.5, 713, 1, 1), DockEdge::Bottom, QSize(360, 440), usable).left(), 0);
        // Pointer near the top on a left panel: pushed down.
        const QRect leftTop = panelRect(QRectF(39.5, 3, 1, 1), DockEdge::Left, QSize(360, 440), usable);
        QCOMPARE(leftTop.top(), 0);
        // Taller than the usable area: shrunk to it rather than hanging off the screen.
        const QRect tall = panelRect(QRectF(499.5, 713, 1, 1), DockEdge::Bottom, QSize(360, 900), usable);
        QCOMPARE(tall.top(), 0);
        QCOMPARE(tall.height(), 738);
        // A usable area away from the origin (second screen).
        const QRect second(1024, 0, 800, 570);
        const QRect onSecond =
            panelRect(QRectF(1030.5, 545, 1, 1), DockEdge::Bottom, QSize(360, 440), second);
        QVERIFY(second.contains(onSecond));
        QCOMPARE(onSecond.left(), 1024);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
