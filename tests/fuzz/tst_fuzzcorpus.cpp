// Replays the fuzz target's seed corpus through all four components, so the
// ordinary and the sanitizer runs of the suite cover what the fuzzer found
// worth keeping.

#include "quotrecordfuzz.h"

#include <testutil.h>

class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<QString>("path");
        const QDir corpus(QStringLiteral(TARN_FUZZ_CORPUS));
        for (const QString &name : corpus.entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }
    void replay()
    {
        QFETCH(QString, path);
        const QByteArray bytes = fileBytes(path);
        QVERIFY(!bytes.isEmpty());
        QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())),
                 0);
    }
};

QTEST_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
