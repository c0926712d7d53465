#pragma once

#include "telephony/LineAccess.h"
#include "telephony/LineApi.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

class EventLoop;

// An in-memory telephony service for tests. It has a chosen number of line devices, offers
// calls on open lines, and sends rings, caller ID, digits and call states. Every notice goes
// through the event loop (never from inside one of its operations), every operation is
// recorded with its arguments, and any operation can be made to fail with a chosen result.
// As LineAccess it reports each device's port, permission and last error as set in devices.
class FakeLineApi final : public LineApi, public LineAccess {
public:
    struct Device {
        uint32_t version = 0x20000; // version agreed in negotiation
        bool negotiateFails = false;
        QString name; // line name in the device capabilities
        uint32_t mediaModes = 0x4 | 0x8 | 0x10;
        int32_t waveDevice = 0; // the "wave/out" device of its calls; -1: none tied
        QString path;           // its port; /dev/ttyACM<i> unless chosen
        bool permissionDenied = false;
        QString lastError; // why it failed, as the service would say
    };

    struct Op {
        QString name;
        std::vector<qint64> args;
        QString text;
        qint64 atMs = -1; // when it was called, if a clock is set
    };

    struct Call {
        uint32_t handle = 0;
        int device = -1;
        uint32_t state = 0;
        bool deallocated = false;
        QByteArray info; // LINECALLINFO bytes as lineGetCallInfo returns them
    };

    explicit FakeLineApi(EventLoop& loop, int deviceCount = 4);

    std::vector<Device> devices;
    // lineAnswer brings CONNECTED; lineDrop brings DISCONNECTED then IDLE.
    bool autoConnect = true;
    bool autoIdleOnDrop = true;
    // Stamps recorded operations with the time, when set.
    std::function<qint64()> clock;

    // Makes an operation (by name, e.g. "lineOpen") return the result from now on; a
    // device-specific failure applies only to that device (lineOpen, lineNegotiateAPIVersion).
    void failOperation(const QString& name, int32_t result);
    void failOperationForDevice(const QString& name, uint32_t deviceId, int32_t result);
    void clearFailures();

    // Recorded operations.
    std::vector<Op> ops;
    int count(const QString& name) const;
    QStringList opNames() const;
    std::vector<Op> opsNamed(const QString& name) const;
    void clearOps() { ops.clear(); }

    // Line and call state.
    uint32_t lineHandleOf(int device) const; // 0 when not open
    bool isOpen(int device) const { return lineHandleOf(device) != 0; }
    const Call* call(uint32_t handle) const;
    int liveCallCount() const; // calls not yet deallocated
    bool initialized() const { return m_initialized; }

    // Driving calls. Notices are posted; run the event loop to deliver them.
    uint32_t offerCall(int device); // a new call in OFFERING; returns its handle
    void ring(int device, uint32_t ringCount);
    // Caller ID in the usual layout (texts right after the fixed part, NUL-terminated).
    void sendCallerId(uint32_t call, uint32_t flags, const QByteArray& number,
                      const QByteArray& name);
    // Caller ID with chosen sizes and offsets; bytes are written into the info where they fit.
    void sendCallerIdRaw(uint32_t call, uint32_t flags, uint32_t numberSize, uint32_t numberOffset,
                         uint32_t nameSize, uint32_t nameOffset,
                         const std::map<uint32_t, QByteArray>& bytesAt = {},
                         uint32_t changedMask = 0x8000);
    // Replaces the whole information buffer of a call.
    void setCallInfo(uint32_t call, const QByteArray& info);
    void digit(uint32_t call, char16_t key);
    void callState(uint32_t call, uint32_t state); // also updates the call's state
    void hangUpFarEnd(uint32_t call);              // DISCONNECTED (the service then awaits drop)
    void postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2, uint32_t p3);

    // LineApi
    int32_t lineInitialize(uint32_t* lineApp, LineCallback callback, const QString& appName,
                           uint32_t* numDevs) override;
    int32_t lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId, uint32_t apiLowVersion,
                                    uint32_t apiHighVersion, uint32_t* apiVersion,
                                    uint8_t* extensionId) override;
    int32_t lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t apiVersion,
                           uint32_t extVersion, uint8_t* devCaps) override;
    int32_t lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line, uint32_t apiVersion,
                     uint32_t extVersion, uintptr_t callbackInstance, uint32_t privileges,
                     uint32_t mediaModes, const void* callParams) override;
    int32_t lineSetStatusMessages(uint32_t line, uint32_t lineStates,
                                  uint32_t addressStates) override;
    int32_t lineGetCallInfo(uint32_t call, uint8_t* callInfo) override;
    int32_t lineAnswer(uint32_t call, const char* userUserInfo, uint32_t size) override;
    int32_t lineMonitorDigits(uint32_t call, uint32_t digitModes) override;
    int32_t lineGetID(uint32_t line, uint32_t addressId, uint32_t call, uint32_t select,
                      uint8_t* deviceId, const QString& deviceClass) override;
    int32_t lineDrop(uint32_t call, const char* userUserInfo, uint32_t size) override;
    // A line that cannot transfer, as a modem line.
    int32_t lineBlindTransfer(uint32_t call, const QString& destAddress,
                              uint32_t countryCode) override;
    int32_t lineDeallocateCall(uint32_t call) override;
    int32_t lineClose(uint32_t line) override;
    int32_t lineShutdown(uint32_t lineApp) override;

    // LineAccess
    bool isPermissionDenied(uint32_t deviceId) const override;
    QString devicePath(uint32_t deviceId) const override;
    QString lastError(uint32_t deviceId) const override;

    static constexpr uint32_t kLineApp = 0x51;

private:
    int32_t record(const QString& name, std::vector<qint64> args, const QString& text = {},
                   int deviceForFailure = -1);
    int deviceOfLine(uint32_t line) const;
    Call* findCall(uint32_t handle);

    EventLoop& m_loop;
    LineCallback m_callback;
    bool m_initialized = false;
    std::map<int, uint32_t> m_open; // device -> line handle
    std::map<uint32_t, Call> m_calls;
    uint32_t m_nextCall = 0x1000;
    int32_t m_nextRequest = 1;
    QMap<QString, int32_t> m_failures;
    std::map<std::pair<QString, uint32_t>, int32_t> m_deviceFailures;
};
