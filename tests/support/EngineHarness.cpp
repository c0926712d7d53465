#include "support/EngineHarness.h"

#include "lists/ListFiles.h"
#include "support/WavWriter.h"

#include <QFile>

EngineHarness::EngineHarness(int deviceCount)
    : line(time, deviceCount), wave(mmio, waveOut), sound(time), log(&time) {
    line.clock = [this] { return time.elapsedMs(); };
    lists = std::make_unique<PhoneLists>(m_dir.path());
    lists->LoadPhoneLists();
    EngineDeps deps{
        line,  time, time, log, *lists, wave, sound, m_dir.path(), [this] { ++telephonyFailures; },
        &line, &time};
    engine = std::make_unique<CallScreener>(std::move(deps));
}

EngineHarness::~EngineHarness() = default;

void EngineHarness::start(const QList<int>& lines) {
    for (int i : lines)
        options.lines.at(size_t(i)).choice = QStringLiteral("1");
    applyOptions();
    engine->ResetLines();
    engine->InitTelephony();
    engine->OpenLines();
    time.runPosted();
}

LineDevices EngineHarness::lineDevices() {
    return LineDevices{line, &line, engine->lineApp(), engine->apiVersion(), engine->deviceCount()};
}

void EngineHarness::writeMessage(int ms) {
    writeMessageBytes(wavwriter::ToneWav(ms));
}

void EngineHarness::writeMessageBytes(const QByteArray& bytes) {
    QFile f(engine->messagePath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

void EngineHarness::removeMessage() {
    QFile::remove(engine->messagePath());
}

void EngineHarness::setPublicList(const std::vector<double>& values) {
    QString error;
    RewritePublicFile(lists->publicPath(), values, &error);
    lists->LoadPhoneLists();
}

void EngineHarness::setPrivateList(const QList<QPair<QString, QString>>& entries) {
    std::vector<PrivateEntry> records;
    for (const auto& [name, number] : entries)
        records.push_back(MakePrivateEntry(name, number));
    QString error;
    RewritePrivateFile(lists->privatePath(), records, &error);
    lists->LoadPhoneLists();
}

uint32_t EngineHarness::incomingCall(int device, const QByteArray& number, const QByteArray& name,
                                     uint32_t extraFlags) {
    const uint32_t call = line.offerCall(device);
    line.ring(device, 1);
    // The caller ID comes after the first ring has been handled, as on a real line.
    time.runPosted();
    uint32_t flags = extraFlags;
    if (!number.isEmpty())
        flags |= tapi::LINECALLPARTYID_ADDRESS;
    if (!name.isEmpty())
        flags |= tapi::LINECALLPARTYID_NAME;
    line.sendCallerId(call, flags, number, name);
    time.runPosted();
    return call;
}

bool EngineHarness::atRest() const {
    return restReport().isEmpty();
}

QString EngineHarness::restReport() const {
    QStringList problems;
    for (int i = 0; i < CallScreener::kLines; ++i) {
        if (engine->slot(i).callHandle != 0)
            problems.append(
                QStringLiteral("slot %1 holds call %2").arg(i).arg(engine->slot(i).callHandle));
    }
    if (time.runningTimerCount() != 0)
        problems.append(QStringLiteral("%1 timers running").arg(time.runningTimerCount()));
    if (waveOut.openCount() != 0)
        problems.append(QStringLiteral("%1 wave devices open").arg(waveOut.openCount()));
    if (line.liveCallCount() != 0)
        problems.append(QStringLiteral("%1 calls not deallocated").arg(line.liveCallCount()));
    return problems.join(QStringLiteral("; "));
}
