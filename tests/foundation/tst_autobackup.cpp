#include "foundation/AutoBackup.h"

#include <QSet>
#include <QTest>

// The thinning out of automatic backups, over a simulated year of closes.
class TestAutoBackup : public QObject {
    Q_OBJECT
private slots:
    void namesReadBack();
    void yearOfDailyCloses();
    void severalClosesADay();
};

void TestAutoBackup::namesReadBack() {
    const QDateTime when(QDate(2026, 12, 11), QTime(9, 15, 0));
    QCOMPARE(AutoBackup::FileName(when), QStringLiteral("Kestrel-自动备份-2026-12-11-091500.mdb"));
    QCOMPARE(AutoBackup::TimeOf(AutoBackup::FileName(when)), when);
    QVERIFY(!AutoBackup::TimeOf(QStringLiteral("岚峰商业软件2026-12-11.mdb")).isValid());
    QVERIFY(!AutoBackup::TimeOf(QStringLiteral("Kestrel-自动备份-garbage.mdb")).isValid());
}

// One close a day for a year (some days skipped), the rotation run after every backup as the
// program does: what is left is the newest of the last 7 days, 4 weeks and 12 months.
void TestAutoBackup::yearOfDailyCloses() {
    std::vector<QDateTime> kept;
    const QDate start(2026, 1, 1);
    for (int day = 0; day < 365; ++day) {
        if (day % 11 == 5)
            continue; // nobody worked that day
        kept.push_back(QDateTime(start.addDays(day), QTime(18, 0)));
        const std::vector<QDateTime> remove = AutoBackup::ToRemove(kept);
        std::erase_if(kept, [&](const QDateTime& t) {
            return std::find(remove.begin(), remove.end(), t) != remove.end();
        });
        QVERIFY(kept.size() <= 7 + 4 + 12);
        // The backup just made is always kept.
        QCOMPARE(kept.back(), QDateTime(start.addDays(day), QTime(18, 0)));
    }
    std::sort(kept.begin(), kept.end(), std::greater<>());
    // The last 7 working days are all there.
    for (int i = 0; i < 7; ++i)
        QVERIFY(kept[static_cast<size_t>(i)].date() > QDate(2026, 12, 20));
    // Every month of the year has its newest backup.
    QSet<int> months;
    for (const QDateTime& t : kept)
        months.insert(t.date().month());
    QCOMPARE(months.size(), 12);
    for (int m = 1; m <= 11; ++m) {
        const QDate last = QDate(2026, m, 1).addMonths(1).addDays(-1);
        const QDate expected = (last.toJulianDay() - start.toJulianDay()) % 11 == 5 ? last.addDays(-1) : last;
        QVERIFY2(std::find(kept.begin(), kept.end(), QDateTime(expected, QTime(18, 0))) != kept.end(),
                 qPrintable(expected.toString()));
    }
    // 4 weeks: the newest backup of each of the last four ISO weeks.
    QSet<int> weeks;
    for (const QDateTime& t : kept)
        if (t.date() > QDate(2026, 12, 1))
            weeks.insert(t.date().weekNumber());
    QVERIFY(weeks.size() >= 4);
    QVERIFY(kept.size() < 7 + 4 + 12);
}

void TestAutoBackup::severalClosesADay() {
    std::vector<QDateTime> times;
    for (int h = 8; h < 20; ++h)
        times.push_back(QDateTime(QDate(2026, 3, 2), QTime(h, 0)));
    const std::vector<QDateTime> remove = AutoBackup::ToRemove(times);
    QCOMPARE(int(remove.size()), 11); // only the day's last one stays
    QVERIFY(std::find(remove.begin(), remove.end(), times.back()) == remove.end());
    QVERIFY(AutoBackup::DueToday(times, QDateTime(QDate(2026, 3, 3), QTime(8, 0))));
    QVERIFY(!AutoBackup::DueToday(times, QDateTime(QDate(2026, 3, 2), QTime(21, 0))));
}

QTEST_GUILESS_MAIN(TestAutoBackup)
#include "tst_autobackup.moc"
