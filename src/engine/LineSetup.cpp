#include "calllog/LogSink.h"
#include "engine/CallScreener.h"
#include "platform/MessageSeam.h"
#include "telephony/LineAccess.h"
#include "telephony/LineApi.h"

#include <QCoreApplication>
#include <algorithm>

QString LineErrorHex(int32_t result) {
    return QStringLiteral("%1").arg(uint32_t(result), 0, 16).toUpper();
}

void CallScreener::ResetLines() {
    m_lineApp = 0;
    for (LineSlot& s : m_slots) {
        s.lineHandle = 0;
        s.callHandle = 0;
    }
}

void CallScreener::InitTelephony() {
    uint32_t app = 0;
    uint32_t devices = 0;
    const int32_t r = m_deps.lineApi.lineInitialize(
        &app,
        [this](uint32_t device, uint32_t message, uintptr_t instance, uint32_t p1, uint32_t p2,
               uint32_t p3) { OnLineEvent(device, message, instance, p1, p2, p3); },
        AppTitle(), &devices);
    if (r != 0) {
        ShowMessage(QCoreApplication::translate("LineSetup",
                                                "Compatibility problem with your modem and TAPI "
                                                "(Windows),please contact your modem provider"),
                    AppTitle(), MessageIcon::Critical);
        if (m_deps.telephonyFailed)
            m_deps.telephonyFailed();
        return;
    }
    m_lineApp = app;
    m_deviceCount = int32_t(std::min<uint32_t>(devices, uint32_t(kLines)));
    // Every line is opened with the highest version any device agreed to.
    for (int32_t i = 0; i < m_deviceCount; ++i) {
        uint32_t version = 0;
        uint8_t extensionId[16] = {};
        if (m_deps.lineApi.lineNegotiateAPIVersion(m_lineApp, uint32_t(i), tapi::kApiVersionLow,
                                                   tapi::kApiVersionHigh, &version,
                                                   extensionId) == 0 &&
            version > m_apiVersion) {
            m_apiVersion = version;
        }
    }
}

void CallScreener::OpenLines() {
    for (int i = 0; i < kLines; ++i) {
        const LineOptions& chosen = m_options.lines[size_t(i)];
        if (!chosen.opens())
            continue;
        LineSlot& s = m_slots[size_t(i)];
        uint32_t handle = 0;
        const int32_t r =
            m_deps.lineApi.lineOpen(m_lineApp, uint32_t(i), &handle, m_apiVersion, 0, 0,
                                    tapi::LINECALLPRIVILEGE_OWNER | tapi::LINECALLPRIVILEGE_MONITOR,
                                    chosen.mediaMode, nullptr);
        if (r < 0) {
            const QString error = QStringLiteral("Line%1 Error:  ").arg(i) + LineErrorHex(r);
            ShowMessage(error, AppTitle(), MessageIcon::Critical);
            // The box goes away; the log keeps the failure, in words when the service knows why.
            const QString reason =
                m_deps.lineAccess ? m_deps.lineAccess->lastError(uint32_t(i)) : QString();
            m_deps.log.AddLogLine(reason.isEmpty() ? error
                                                   : error + QStringLiteral(" - ") + reason);
            continue;
        }
        s.lineHandle = handle;
        m_deps.log.AddLogLine(QStringLiteral("Line%1 is ready").arg(i));
        if (m_deps.lineApi.lineSetStatusMessages(handle, tapi::LINEDEVSTATE_RINGING, 0) != 0) {
            const QString text =
                i == 0 ? QCoreApplication::translate("LineSetup",
                                                     "Line0 is opened by another application or "
                                                     "modem setting incorrect,please reboot your "
                                                     "computer")
                       : QCoreApplication::translate(
                             "LineSetup", "Can not initialize callback message of line%1")
                             .arg(i);
            ShowMessage(text, AppTitle(), MessageIcon::Critical);
        }
    }
}

void CallScreener::OnLineService(uint32_t line, uint32_t deviceState) {
    const int i = slotByLine(line);
    if (i < 0)
        return;
    // The line keeps its handle while away; a call on it has already ended.
    if (deviceState == tapi::LINEDEVSTATE_OUTOFSERVICE)
        m_deps.log.AddLogLine(QStringLiteral("Line%1 is not ready: its modem went away. Calls "
                                             "are not screened until it is back")
                                  .arg(i));
    else if (deviceState == tapi::LINEDEVSTATE_INSERVICE)
        m_deps.log.AddLogLine(QStringLiteral("Line%1 is ready").arg(i));
}

void CallScreener::CloseTelephony() {
    // The program is ending: calls are neither dropped nor deallocated, handles stay as they are.
    for (const LineSlot& s : m_slots) {
        if (s.lineHandle != 0)
            m_deps.lineApi.lineClose(s.lineHandle);
    }
    m_deps.lineApi.lineShutdown(m_lineApp);
}
