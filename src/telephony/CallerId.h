#pragma once

#include <QByteArray>

// What a line's caller-ID report said about the caller: a modem's report, or the identity
// headers of a SIP INVITE.
struct CallerId {
    enum class Part { Absent, Present, Private, OutOfArea };
    Part number = Part::Absent;
    Part name = Part::Absent;
    QByteArray numberText; // as delivered, only when number is Present
    QByteArray nameText;   // as delivered, only when name is Present
};
