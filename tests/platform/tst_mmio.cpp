#include "platform/audio/Mmio.h"
#include "platform/audio/WaveFile.h"

#include "support/Files.h"
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
        if (!WriteFileBytes(path, bytes))
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

    // Sizes that claim more than there is (a streaming recorder's placeholders) run to the end
    // of the file or of the parent; nothing past it is ever found.
    void sizesBeyondTheFileRunToItsEnd() {
        FileMmio m;
        // The size of the data chunk found, or -1 when there is none.
        auto dataSize = [&](const QByteArray& bytes) -> int64_t {
            const MmioHandle h = m.mmioOpen(write(QStringLiteral("lie.wav"), bytes), nullptr, 0);
            MmckInfo riff;
            riff.fccType = mmioStringToFOURCC("WAVE");
            MmckInfo ck;
            ck.ckid = mmioStringToFOURCC("data");
            const bool found = m.mmioDescend(h, &riff, nullptr, mmio::MMIO_FINDRIFF) == 0 &&
                               m.mmioDescend(h, &ck, &riff, mmio::MMIO_FINDCHUNK) == 0;
            m.mmioClose(h, 0);
            return found ? int64_t(ck.cksize) : -1;
        };
        const QByteArray fmt = Chunk("fmt ", FmtBody(1, 8000, 8));
        QCOMPARE(dataSize(Riff(fmt + Chunk("data", "12345678"))), 8);
        for (const int64_t placeholder :
             {int64_t(5000), int64_t(0x7FFFF000), int64_t(0xFFFFFFFF)}) {
            QCOMPARE(dataSize(Riff(fmt + Chunk("data", "1234", placeholder))), 4);
            QCOMPARE(dataSize(Riff(fmt + Chunk("data", "1234", placeholder), placeholder)), 4);
        }
        // A RIFF that claims too little to hold the data chunk's header hides it, and one that
        // cuts into the data gives only the part inside it.
        QCOMPARE(dataSize(Riff(fmt + Chunk("data", "1234"), 30)), -1);
        QCOMPARE(dataSize(Riff(fmt + Chunk("data", "12345678"), 4 + 24 + 8 + 3)), 3);
        // truncated in the middle of a chunk header, or not a WAVE form
        QCOMPARE(dataSize(Riff(fmt + Chunk("data", "1234")).left(40)), -1);
        QCOMPARE(dataSize(QByteArray("RIFF")), -1);
        QCOMPARE(dataSize(QByteArray()), -1);
        QByteArray avi = Riff(fmt + Chunk("data", "1234"));
        avi.replace(8, 4, "AVI ");
        QCOMPARE(dataSize(avi), -1);
        QCOMPARE(m.openFileCount(), 0);
    }

    void missingFileGivesNoHandle() {
        FileMmio m;
        MmioInfo info;
        QCOMPARE(m.mmioOpen(m_dir.filePath(QStringLiteral("none.wav")), &info, 0), MmioHandle(0));
        QCOMPARE(info.wErrorRet, mmio::MMIOERR_FILENOTFOUND);
        QCOMPARE(m.mmioOpen(QString(), nullptr, 0), MmioHandle(0));
        QCOMPARE(m.mmioOpen(m_dir.path(), &info, 0), MmioHandle(0)); // there, but a folder
        QCOMPARE(info.wErrorRet, mmio::MMIOERR_ACCESSDENIED);
    }

    void readWaveFileReadsFilesFromOtherTools() {
        FileMmio m;
        WaveFormatEx f;
        std::vector<uint8_t> data;
        const auto read = [&](const QString& path, uint32_t maxBytes = 1u << 20) {
            return ReadWaveFile(m, path, &f, &data, maxBytes);
        };
        QCOMPARE(read(QStringLiteral(HW_TEST_DATA_DIR "/stereo8_11025.wav")), WaveFileError::None);
        QCOMPARE(f.nChannels, uint16_t(2));
        QCOMPARE(f.nSamplesPerSec, 11025u);
        QCOMPARE(f.wBitsPerSample, uint16_t(8));
        QCOMPARE(data.size() % 2, size_t(0));
        QCOMPARE(read(QStringLiteral(HW_TEST_DATA_DIR "/mono16_22050.wav")), WaveFileError::None);
        QCOMPARE(f.nSamplesPerSec, 22050u);
        QCOMPARE(read(QStringLiteral(HW_SOURCE_DIR "/assets/donotcall.wav")), WaveFileError::None);
        QCOMPARE(f.nSamplesPerSec, 8000u);
        QCOMPARE(f.nChannels, uint16_t(1));
        QVERIFY(data.size() > 8000); // at least a second of speech
        QCOMPARE(m.openFileCount(), 0);

        // A streaming recorder's file plays what it holds.
        const QByteArray samples = Sine(1, 8000, 16, 400, 440);
        QCOMPARE(
            read(write(QStringLiteral("stream.wav"), Riff(Chunk("fmt ", FmtBody(1, 8000, 16)) +
                                                              Chunk("data", samples, 0xFFFFFFFF),
                                                          0xFFFFFFFF))),
            WaveFileError::None);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())),
                 samples);

        // Refused, and why: each failure leaves the last good result alone.
        const QByteArray data4 = Chunk("data", "1234");
        QCOMPARE(read(m_dir.filePath(QStringLiteral("none.wav"))), WaveFileError::Missing);
        QCOMPARE(read(m_dir.path()), WaveFileError::Unreadable);
        QCOMPARE(read(write(QStringLiteral("t.wav"), "not a sound at all")),
                 WaveFileError::NotWave);
        QCOMPARE(read(write(QStringLiteral("s.wav"),
                            Riff(Chunk("fmt ", FmtBody(1, 8000, 8).left(14)) + data4))),
                 WaveFileError::Damaged);
        QCOMPARE(read(write(QStringLiteral("c.wav"),
                            Riff(Chunk("fmt ", FmtBody(0, 8000, 8, 1)) + data4))),
                 WaveFileError::Damaged);
        QCOMPARE(read(write(QStringLiteral("d.wav"), Riff(Chunk("fmt ", FmtBody(1, 8000, 8))))),
                 WaveFileError::Damaged);
        QCOMPARE(read(QStringLiteral(HW_TEST_DATA_DIR "/mono16_22050.wav"), 100),
                 WaveFileError::TooLarge);
        QCOMPARE(data.size(), size_t(samples.size()));
        QCOMPARE(m.openFileCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMmio)
#include "tst_mmio.moc"
