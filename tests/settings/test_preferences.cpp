// The program's own settings file and the recent-projects list kept in it.
#include "settings/preferences.h"
#include "settings/recentprojects.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kelmira;

class TestPreferences : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recentList_data();
    void recentList();
    void survivesRestart_data();
    void survivesRestart();
    void unwritableFolderKeepsValues();
};

namespace {

QStringList numbered(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QStringLiteral("/p/%1.kelmar").arg(i);
    return out;
}

} // namespace

void TestPreferences::recentList_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("newest first") << QStringList{"/p/a.kelmar"} << "/p/b.kelmar"
                                  << "" << QStringList{"/p/b.kelmar", "/p/a.kelmar"};
    QTest::newRow("again moves to the top, not twice")
        << QStringList{"/p/a.kelmar", "/p/b.kelmar", "/p/c.kelmar"} << "/p/c.kelmar"
        << "" << QStringList{"/p/c.kelmar", "/p/a.kelmar", "/p/b.kelmar"};
    QTest::newRow("same file by another spelling")
        << QStringList{"/p/a.kelmar"} << "/p/x/../a.kelmar"
        << "" << QStringList{"/p/a.kelmar"};
    QTest::newRow("ninth pushes out the oldest")
        << numbered(1, 8) << "/p/9.kelmar"
        << "" << (QStringList{"/p/9.kelmar"} + numbered(1, 7));
    QTest::newRow("a longer stored list is cut to 8") << numbered(1, 12) << "/p/1.kelmar"
                                                      << "" << numbered(1, 8);
    QTest::newRow("vanished file dropped, order kept")
        << numbered(1, 3) << ""
        << "/p/2.kelmar" << QStringList{"/p/1.kelmar", "/p/3.kelmar"};
    QTest::newRow("empty entries of a damaged file vanish")
        << QStringList{"", "/p/a.kelmar", ""} << "/p/b.kelmar"
        << "" << QStringList{"/p/b.kelmar", "/p/a.kelmar"};
}

void TestPreferences::recentList() {
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QString, removed);
    QFETCH(QStringList, after);
    QStringList list = before;
    if (!added.isEmpty())
        list = withRecentProject(list, added);
    if (!removed.isEmpty())
        list = withoutRecentProject(list, removed);
    QCOMPARE(list, after);
}

void TestPreferences::survivesRestart_data() {
    QTest::addColumn<QStringList>("recent");
    QTest::addColumn<QString>("source");
    QTest::newRow("nothing stored") << QStringList{} << QString();
    QTest::newRow("one project") << QStringList{"/p/a.kelmar"} << "/p/a.kelmar";
    QTest::newRow("Cyrillic, blanks, commas and quotes")
        << QStringList{"/home/Мои проекты/плата, вариант \"2\".kelmar", "/p/b=c;d.kelmar"}
        << "/home/Мои проекты/плата, вариант \"2\".kelmar";
}

void TestPreferences::survivesRestart() {
    QFETCH(QStringList, recent);
    QFETCH(QString, source);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Data")));
    {
        Preferences p(dir.path());
        QVERIFY(p.setValue(prefs::recentProjects, recent));
        QVERIFY(p.setValue(prefs::autosaveSource, source));
    }
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Data/Preferences.ini"))));
    Preferences again(dir.path());
    QCOMPARE(again.value(prefs::recentProjects), recent);
    QCOMPARE(again.value(prefs::autosaveSource), source);
    QVERIFY(again.remove(prefs::autosaveSource));
    QCOMPARE(Preferences(dir.path()).value(prefs::autosaveSource), QString());
}

void TestPreferences::unwritableFolderKeepsValues() {
    QTemporaryDir dir;
    // "Data" is a file here: nothing can be written below it, not even by root.
    QFile blocker(dir.filePath(QStringLiteral("Data")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Preferences p(dir.path());
    QVERIFY(!p.setValue(prefs::recentProjects, QStringList{"/p/a.kelmar"}));
    QCOMPARE(p.value(prefs::recentProjects), QStringList{"/p/a.kelmar"});
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "test_preferences.moc"
