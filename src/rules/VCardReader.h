#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// A contact of an address book export: its name and its telephone numbers as written.
struct VCardContact {
    QString name;
    QStringList numbers;
};

// Reads the contacts of a vCard file (versions 2.1, 3 and 4, as phones and address books export
// them): folded lines, grouped properties ("item1.TEL"), TYPE parameters, "tel:" URIs,
// quoted-printable and escaped values. Anything else is passed over.
std::vector<VCardContact> ReadVCards(const QByteArray& data);

// A telephone number of a contact reduced to what a number rule holds: a leading + and digits,
// up to an extension. Empty when fewer than 3 digits remain.
QString ContactNumber(const QString& written);
