#include "platform/audio/Mmio.h"
#include "platform/audio/WaveFile.h"

#include "support/WavWriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace wavwriter;

class TestMmio : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        if (!WriteFile(path, bytes))
            qFatal("cannot write test file");
        return path;
    }

private Q_SLOTS:
    void fourccPadsWithBlanks() {
        QCOMPARE(mmioStringToFOURCC("fmt"), mmioStringToFOURCC("fmt "));
        QCOMPARE(mmioStringToFOURCC("RIFF"), 0x46464952u);
        QCOMPARE(mmioStringToFOURCC(""), 0x20202020u);
    }

    void descendReadAscendWalkTheChunks() {
        // An odd-sized chunk with its pad byte sits between fmt and data.
        const QByteArray chunks =
            Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("odd ", "abc") + Chunk("data", "0123456789");
        const QString path = write(QStringLiteral("walk.wav"), Riff(chunks));
        FileMmio m;
        MmioInfo info;
        const MmioHandle h = m.mmioOpen(path, &info, 0);
        QVERIFY(h != 0);

        MmckInfo riff;
        riff.fccType = mmioStringToFOURCC("WAVE");
        QCOMPARE(m.mmioDescend(h, &riff, nullptr, mmio::MMIO_FINDRIFF), 0u);
        QCOMPARE(riff.dwDataOffset, 8u);
        QCOMPARE(riff.cksize, static_cast<uint32_t>(chunks.size() + 4));

        MmckInfo ck;
        ck.ckid = mmioStringToFOURCC("odd");
        QCOMPARE(m.mmioDescend(h, &ck, &riff, mmio::MMIO_FINDCHUNK), 0u);
        QCOMPARE(ck.cksize, 3u);
        char buf[8] = {};
        QCOMPARE(m.mmioRead(h, buf, 3), 3);
        QCOMPARE(QByteArray(buf, 3), QByteArray("abc"));
        QCOMPARE(m.mmioAscend(h, &ck, 0), 0u);

        // Continues from the end of "odd " (past its pad byte).
        ck = MmckInfo();
        QCOMPARE(m.mmioDescend(h, &ck, &riff, 0), 0u);
        QCOMPARE(ck.ckid, mmioStringToFOURCC("data"));
        QCOMPARE(m.mmioRead(h, buf, 4), 4);
        QCOMPARE(QByteArray(buf, 4), QByteArray("0123"));

        // The search runs forward only: fmt lies behind the current position.
        m.mmioAscend(h, &ck, 0);
        ck = MmckInfo();
        ck.ckid = mmioStringToFOURCC("fmt");
        QCOMPARE(m.mmioDescend(h, &ck, &riff, mmio::MMIO_FINDCHUNK), mmio::MMIOERR_CHUNKNOTFOUND);

        QCOMPARE(m.mmioRead(h, buf, 8), 0); // at the end of the file
        QCOMPARE(m.mmioClose(h, 0), 0u);
        QCOMPARE(m.openFileCount(), 0);
        QVERIFY(m.mmioClose(h, 0) != 0);
        QCOMPARE(m.mmioRead(h, buf, 1), -1);
    }

    void sizesThatLieAreNotBelieved() {
        FileMmio m;
        auto findData = [&](const QByteArray& bytes) {
            const MmioHandle h = m.mmioOpen(write(QStringLiteral("lie.wav"), bytes), nullptr, 0);
            MmckInfo riff;
            riff.fccType = mmioStringToFOURCC("WAVE");
            uint32_t r = m.mmioDescend(h, &riff, nullptr, mmio::MMIO_FINDRIFF);
            if (r == 0) {
                MmckInfo ck;
                ck.ckid = mmioStringToFOURCC("data");
                r = m.mmioDescend(h, &ck, &riff, mmio::MMIO_FINDCHUNK);
            }
            m.mmioClose(h, 0);
            return r;
        };
        const QByteArray fmt = Chunk("fmt ", FmtBody(1, 8000, 8));
        QCOMPARE(findData(Riff(fmt + Chunk("data", "12345678"))), 0u);
        // data claims more than the file holds, or nearly 4 GiB
        QVERIFY(findData(Riff(fmt + Chunk("data", "1234", 5000))) != 0);
        QVERIFY(findData(Riff(fmt + Chunk("data", "1234", 0xFFFFFFF0LL))) != 0);
        // A RIFF that claims more than the file (a streaming recorder's placeholder) runs to
        // the end of the file; one that claims too little to hold the data chunk hides it.
        QCOMPARE(findData(Riff(fmt + Chunk("data", "1234"), 100000)), 0u);
        QVERIFY(findData(Riff(fmt + Chunk("data", "1234"), 30)) != 0);
        // truncated in the middle of a chunk header, or not a WAVE form
        QVERIFY(findData(Riff(fmt + Chunk("data", "1234")).left(40)) != 0);
        QVERIFY(findData(QByteArray("RIFF")) != 0);
        QVERIFY(findData(QByteArray()) != 0);
        QByteArray avi = Riff(fmt + Chunk("data", "1234"));
        avi.replace(8, 4, "AVI ");
        QVERIFY(findData(avi) != 0);
        QCOMPARE(m.openFileCount(), 0);
    }

    void missingFileGivesNoHandle() {
        FileMmio m;
        MmioInfo info;
        QCOMPARE(m.mmioOpen(m_dir.filePath(QStringLiteral("none.wav")), &info, 0), MmioHandle(0));
        QCOMPARE(info.wErrorRet, mmio::MMIOERR_FILENOTFOUND);
        QCOMPARE(m.mmioOpen(QString(), nullptr, 0), MmioHandle(0));
    }

    void readWaveFileReadsFilesFromOtherTools() {
        FileMmio m;
        WaveFormatEx f;
        QByteArray data;
        QVERIFY(ReadWaveFile(m, QStringLiteral(HW_TEST_DATA_DIR "/stereo8_11025.wav"), &f, &data));
        QCOMPARE(f.nChannels, uint16_t(2));
        QCOMPARE(f.nSamplesPerSec, 11025u);
        QCOMPARE(f.wBitsPerSample, uint16_t(8));
        QCOMPARE(data.size() % 2, 0);
        QVERIFY(ReadWaveFile(m, QStringLiteral(HW_TEST_DATA_DIR "/mono16_22050.wav"), &f, &data));
        QCOMPARE(f.nSamplesPerSec, 22050u);
        QCOMPARE(f.cbSize, uint16_t(0)); // not taken from the bytes after a 16-byte fmt
        QVERIFY(ReadWaveFile(m, QStringLiteral(HW_SOURCE_DIR "/assets/donotcall.wav"), &f, &data));
        QCOMPARE(f.nSamplesPerSec, 8000u);
        QCOMPARE(f.nChannels, uint16_t(1));
        QVERIFY(data.size() > 8000); // at least a second of speech
        QCOMPARE(m.openFileCount(), 0);

        // Refused: fmt too short, zero channels, over the size limit.
        const QString shortFmt =
            write(QStringLiteral("s.wav"),
                  Riff(Chunk("fmt ", FmtBody(1, 8000, 8).left(14)) + Chunk("data", "1234")));
        QVERIFY(!ReadWaveFile(m, shortFmt, &f, &data));
        const QString noChannels =
            write(QStringLiteral("c.wav"),
                  Riff(Chunk("fmt ", FmtBody(0, 8000, 8, 1)) + Chunk("data", "1234")));
        QVERIFY(!ReadWaveFile(m, noChannels, &f, &data));
        QVERIFY(
            !ReadWaveFile(m, QStringLiteral(HW_TEST_DATA_DIR "/mono16_22050.wav"), &f, &data, 100));
        QCOMPARE(m.openFileCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMmio)
#include "tst_mmio.moc"
