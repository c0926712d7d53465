#pragma once

#include "telephony/LineAccess.h"
#include "telephony/LineApi.h"
#include "telephony/LineCall.h"

#include <QByteArray>
#include <QObject>

#include <map>
#include <memory>

// The LineApi bookkeeping every kind of line shares: the application handle and its callback,
// the open lines with their callback instance and media modes, the call records and their
// handles, request ids, version negotiation, LINECALLINFO and wave-out id writing, and the
// LINEERR_* codes for bad handles, bad pointers and calls in the wrong state. Every notice
// reaches the callback later through the Qt event loop, never from inside a LineApi call.
//
// A subclass says only what differs: how many devices there are and how each is described,
// opened, closed and shut down, and how a call is answered and dropped. Line device i has the
// line handle lineHandleBase + i.
class LineServiceBase : public QObject, public LineApi, public LineAccess {
    Q_OBJECT
public:
    ~LineServiceBase() override;

    int32_t lineInitialize(uint32_t* lineApp, LineCallback callback, const QString& appName,
                           uint32_t* numDevs) final;
    int32_t lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId, uint32_t apiLowVersion,
                                    uint32_t apiHighVersion, uint32_t* apiVersion,
                                    uint8_t* extensionId) final;
    int32_t lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t apiVersion,
                           uint32_t extVersion, uint8_t* devCaps) final;
    int32_t lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line, uint32_t apiVersion,
                     uint32_t extVersion, uintptr_t callbackInstance, uint32_t privileges,
                     uint32_t mediaModes, const void* callParams) final;
    int32_t lineSetStatusMessages(uint32_t line, uint32_t lineStates, uint32_t addressStates) final;
    int32_t lineGetCallInfo(uint32_t call, uint8_t* callInfo) final;
    int32_t lineAnswer(uint32_t call, const char* userUserInfo, uint32_t size) final;
    int32_t lineMonitorDigits(uint32_t call, uint32_t digitModes) final;
    int32_t lineGetID(uint32_t line, uint32_t addressId, uint32_t call, uint32_t select,
                      uint8_t* deviceId, const QString& deviceClass) final;
    int32_t lineDrop(uint32_t call, const char* userUserInfo, uint32_t size) final;
    int32_t lineBlindTransfer(uint32_t call, const QString& destAddress,
                              uint32_t countryCode) final;
    int32_t lineDeallocateCall(uint32_t call) final;
    int32_t lineClose(uint32_t line) final;
    int32_t lineShutdown(uint32_t lineApp) final;

    static constexpr uint32_t kApiVersion = 0x20001;

protected:
    // appHandle: what lineInitialize hands out; lineHandleBase: the handle of device 0;
    // lastCall: call handles count up from one past it.
    LineServiceBase(uint32_t appHandle, uint32_t lineHandleBase, uint32_t lastCall,
                    QObject* parent = nullptr);

    virtual uint32_t deviceCount() const = 0;
    // Starts what the lines run on, at the first lineInitialize; a LINEERR_* code fails it.
    virtual int32_t startService() { return 0; }
    // The device's line name and media modes, or a LINEERR_* code.
    virtual int32_t describeDevice(uint32_t deviceId, QByteArray* name, uint32_t* mediaModes) = 0;
    // Takes the device; a LINEERR_* code when it cannot be used.
    virtual int32_t openDevice(uint32_t deviceId, uint32_t lineHandle, uint32_t mediaModes) = 0;
    // Lets the device go (lineClose): no notices.
    virtual void closeDevice(uint32_t deviceId) = 0;
    // lineShutdown: every line and what they run on goes, no notices.
    virtual void shutDownService() = 0;
    // Answers or drops the call; false when its state does not allow it.
    virtual bool answerCall(const std::shared_ptr<LineCall>& call) = 0;
    virtual bool dropCall(const std::shared_ptr<LineCall>& call) = 0;
    // Starts a blind transfer of the connected call (destination empty: the line's target); 0
    // or a LINEERR_* code. Lines that cannot transfer answer that the operation is unavailable.
    virtual int32_t transferCall(const std::shared_ptr<LineCall>&, const QString&) {
        return tapi::LINEERR_OPERATIONUNAVAIL;
    }

    // For subclasses: a new call record (of type T) on the device, with a fresh handle.
    template <class T = LineCall>
    std::shared_ptr<T> newCall(uint32_t deviceId, uint32_t mediaMode) {
        auto call = std::make_shared<T>();
        registerCall(call, deviceId, mediaMode);
        return call;
    }
    std::shared_ptr<LineCall> findCall(uint32_t handle) const;
    const std::map<uint32_t, std::shared_ptr<LineCall>>& calls() const { return m_calls; }
    // Queues a notice for the callback; device is a line handle for LINE_LINEDEVSTATE, else a
    // call handle.
    void queueNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2, uint32_t p3);
    bool isOpen(uint32_t deviceId) const { return m_lines.count(deviceId) != 0; }
    uint32_t mediaModesOf(uint32_t deviceId) const;
    uint32_t lineHandleOf(uint32_t deviceId) const { return m_lineHandleBase + deviceId; }
    // The device of an open line's handle, or false.
    bool deviceOfLine(uint32_t lineHandle, uint32_t* deviceId) const;
    // Drops the callback: nothing queued reaches the program any more.
    void forgetCallback() { m_callback = nullptr; }

private:
    struct OpenLine {
        uintptr_t instance = 0;
        uint32_t mediaModes = 0;
    };

    void registerCall(const std::shared_ptr<LineCall>& call, uint32_t deviceId, uint32_t mediaMode);
    bool validApp(uint32_t lineApp) const { return m_initialized && lineApp == m_appHandle; }
    bool validDevice(uint32_t deviceId) const { return deviceId < deviceCount(); }

    const uint32_t m_appHandle;
    const uint32_t m_lineHandleBase;
    bool m_initialized = false;
    LineCallback m_callback;
    std::map<uint32_t, OpenLine> m_lines; // by device
    std::map<uint32_t, std::shared_ptr<LineCall>> m_calls;
    uint32_t m_nextCall;
    int32_t m_nextRequest = 1;
};
