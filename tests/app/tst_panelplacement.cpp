#include "TestEnvironment.h"
#include "app/PanelPlacement.h"

#include <QTest>

using namespace PanelPlacement;

Q_DECLARE_METATYPE(PanelPlacement::DockEdge)

class TestPanelPlacement : public QObject {
    Q_OBJECT
private slots:
    // A 1440 x 900 screen at the origin, in flipped coordinates, with a menu bar of 25 along
    // the top in every case but the top panels; the pointer at x 800, y 333.
    void edgeThicknessAndAnchor_data() {
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<DockEdge>("edge");
        QTest::addColumn<double>("thickness");
        QTest::addColumn<QPointF>("anchor");
        const auto row = [](const char* name, QRectF visible, DockEdge edge, double thickness,
                            QPointF anchor) {
            QTest::newRow(name) << visible << edge << thickness << anchor;
        };
        row("bottom 70", {0, 70, 1440, 805}, DockEdge::Bottom, 70, {799.5, 94});
        row("left 60", {60, 0, 1380, 875}, DockEdge::Left, 60, {59.5, 333});
        row("right 60", {0, 0, 1380, 875}, DockEdge::Right, 60, {1379.5, 333});
        row("5 px: hidden, counts as 79", {0, 5, 1440, 895}, DockEdge::Bottom, 5, {799.5, 103});
        row("a 6 px dock is not", {0, 6, 1440, 894}, DockEdge::Bottom, 6, {799.5, 30});
        row("left and bottom tie", {40, 40, 1400, 860}, DockEdge::Bottom, 40, {799.5, 64});
        row("top panel 28", {0, 0, 1440, 872}, DockEdge::Top, 28, {799.5, 848});
        row("top beside a 5 px bottom", {0, 5, 1440, 867}, DockEdge::Top, 28, {799.5, 848});
        row("top and a 6 px bottom", {0, 6, 1440, 866}, DockEdge::Bottom, 6, {799.5, 30});
    }
    void edgeThicknessAndAnchor() {
        QFETCH(QRectF, visible);
        QFETCH(DockEdge, edge);
        QFETCH(double, thickness);
        QFETCH(QPointF, anchor);
        const ScreenFrames screen{QRectF(0, 0, 1440, 900), visible};
        QCOMPARE(dockEdge(screen), edge);
        QCOMPARE(dockThickness(screen), thickness);
        QCOMPARE(anchorOrigin(screen, 800, 333), anchor);
    }

    // A second screen to the right of and above the primary one.
    void anchorOnAScreenAwayFromTheOrigin() {
        const QRectF frame(1440, 200, 1000, 700);
        QCOMPARE(anchorOrigin({frame, QRectF(1440, 240, 1000, 660)}, 1900, 0),
                 QPointF(1899.5, 200 + 40 + 24));
        QCOMPARE(anchorOrigin({frame, QRectF(1490, 200, 950, 700)}, 0, 500), QPointF(1440 + 50 - 0.5, 500));
    }

    // The same small gap (6) to the bar on every edge, centred on the anchor; then moved, and if
    // need be shrunk, into the usable area.
    void panelRectangle_data() {
        QTest::addColumn<DockEdge>("edge");
        QTest::addColumn<QRect>("usable");
        QTest::addColumn<QRectF>("anchor");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("panel");
        const auto row = [](const char* name, DockEdge edge, QRect usable, QPointF anchor, QRect panel,
                            QSize size = {360, 440}) {
            QTest::newRow(name) << edge << usable << QRectF(anchor, QSizeF(1, 1)) << size << panel;
        };
        const QRect bottom30(0, 0, 1024, 738);
        row("bottom 30", DockEdge::Bottom, bottom30, {499.5, 713}, {320, 292, 360, 440});
        row("top 30", DockEdge::Top, {0, 30, 1024, 738}, {499.5, 54}, {320, 36, 360, 440});
        row("left 40", DockEdge::Left, {40, 0, 984, 768}, {39.5, 300}, {46, 81, 360, 440});
        row("right 40", DockEdge::Right, {0, 0, 984, 768}, {983.5, 300}, {618, 81, 360, 440});
        row("second screen, bottom", DockEdge::Bottom, {1024, 200, 1280, 994}, {1600.5, 1100},
            {1421, 748, 360, 440});
        row("near the right end: pushed left", DockEdge::Bottom, bottom30, {1020.5, 713},
            {664, 292, 360, 440});
        row("near the left end", DockEdge::Bottom, bottom30, {2.5, 713}, {0, 292, 360, 440});
        row("near the top on a left bar", DockEdge::Left, bottom30, {39.5, 3}, {6, 0, 360, 440});
        row("taller than the usable area: shrunk", DockEdge::Bottom, bottom30, {499.5, 713},
            {320, 0, 360, 738}, {360, 900});
        row("near the left end of a second screen", DockEdge::Bottom, {1024, 0, 800, 570}, {1030.5, 545},
            {1024, 124, 360, 440});
    }
    void panelRectangle() {
        QFETCH(DockEdge, edge);
        QFETCH(QRect, usable);
        QFETCH(QRectF, anchor);
        QFETCH(QSize, size);
        QFETCH(QRect, panel);
        QCOMPARE(panelRect(anchor, edge, size, usable), panel);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
