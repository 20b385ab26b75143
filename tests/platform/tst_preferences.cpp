#include <QtTest>
class X: public QObject{Q_OBJECT private slots: void a(){}};
QTEST_GUILESS_MAIN(X)
#include "tst_preferences.moc"
