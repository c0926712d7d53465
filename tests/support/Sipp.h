#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// SIPp, a real SIP traffic generator, as the far end of a SIP line: scenarios from
// tests/sip/scenarios with their %KEY% placeholders filled in, and the pieces callers' scenarios
// are made of.
namespace sipp {

using Vars = QMap<QString, QString>;

// Starts SIPp on the scenario <name>.xml with vars filled in (twice: values may hold keys),
// written into folder; args are SIPp's other arguments (target, -i, -p, -m...). SIPp's output
// is kept for passed() to show.
std::unique_ptr<QProcess> start(const QString& folder, const QString& name, Vars vars,
                                const QStringList& args);
// Waits until SIPp ends, running the event loop (or not, while the thread is kept busy); true
// when its scenario passed. Its output is printed when it did not.
bool passed(QProcess* process, int timeoutMs = 30000, bool runEventLoop = true);

// The vars of registrar.xml: a registrar that challenges with digest and grants alice's
// registration for expiresS only with the password given (403 otherwise), to the Contact it
// received; refresh is what it does after the grant.
Vars Registrar(const QString& password, int expiresS = 600, const QString& refresh = {});
// An SDP offer or answer for audio on %RTPPORT% in the RTP payload formats given ("0 8 101").
QString Sdp(const QString& formats);
// A tail that waits for the line's BYE and answers it.
QString AwaitBye();
// The caller's vars for caller.xml: From, an offer of PCMU, PCMA and telephone-event, then
// middle (after the ACK) and tail.
Vars Caller(const QString& from, const QString& middle = {}, const QString& tail = AwaitBye());
// A request of the caller's within the call (CSeq from 2 on), with a body of the type given.
QString Request(const QString& method, int cseq, const QString& type, const QString& body);
// A tail that hangs up after ms.
QString HangUp(int afterMs);
// Keys pressed as RFC 4733 telephone events from the captures SIPp ships, 400 ms apart.
QString KeysAsEvents(const QString& keys);
// Keys pressed as DTMF tones in PCMU audio (a gateway without telephone events): 100 ms of each
// tone pair and 100 ms of silence, from a capture written into folder.
QString KeysInBand(const QString& folder, const QString& keys);

} // namespace sipp
