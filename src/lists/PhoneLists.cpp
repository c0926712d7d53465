#include "lists/PhoneLists.h"

#include "lists/ListFiles.h"
#include "lists/PublicText.h"

#include <QFile>
#include <QSet>
#include <cmath>

namespace {
constexpr double kPlainLimit = 1e15; // whole values below this have plain-digit match texts

// Opens a list file for reading. The file is created when missing, as the list windows expect
// it to exist; a file that exists but cannot be written is still read.
bool openListFile(QFile& file) {
    if (file.open(QIODevice::ReadWrite))
        return true;
    return file.open(QIODevice::ReadOnly);
}

// Only blanks count as padding; other white space is part of the typed number.
QStringView trimSpaces(QStringView s) {
    while (!s.isEmpty() && s.front() == QLatin1Char(' '))
        s = s.mid(1);
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s;
}

// The value of a caller number text made of 1 to 15 digits without a leading zero, the only
// texts that a whole entry below 10^15 produces; -1 for any other text.
qint64 plainDigitsValue(const QString& text) {
    if (text.isEmpty() || text.size() > 15 || text.at(0) == QLatin1Char('0'))
        return -1;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

PrivateEntry terminatorEntry() {
    return PrivateEntry{QString(listfile::kNameWidth, QChar(0)),
                        QString(listfile::kNumberWidth, QChar(0))};
}
} // namespace

bool PrivateEntry::isTerminator() const {
    for (QChar c : Number)
        if (c != QChar(0))
            return false;
    return true;
}

struct PhoneLists::Impl {
    QString folder;
    std::vector<double> publicList = std::vector<double>(kPublicCapacity + 1, 0.0);
    std::vector<PrivateEntry> privateList = std::vector<PrivateEntry>(kPrivateCapacity + 1);
    int publicCount = 0;
    int privateCount = 0;

    // Lookup index, rebuilt with the tables. The match texts of whole entries below 10^15 are
    // their digits, so those entries are kept as integers and a caller number is parsed
    // once; every other entry keeps its match text. Private numbers are kept as views of
    // the table's own strings, which stay put until the next load rebuilds both.
    QSet<qint64> wholeValues;
    QSet<QString> otherTexts;
    QSet<QStringView> privateNumbers;

    void loadPublic();
    void loadPrivate();
};

void PhoneLists::Impl::loadPublic() {
    wholeValues.clear();
    otherTexts.clear();
    int n = 0;
    QFile file(folder + QStringLiteral("/public.tel"));
    if (openListFile(file)) {
        // Records beyond the table's capacity and a cut-off last record are not read.
        const QByteArray data = file.read(qint64(kPublicCapacity) * listfile::kPublicRecordSize);
        const int records = int(data.size() / listfile::kPublicRecordSize);
        wholeValues.reserve(records);
        for (; n < records; ++n) {
            const double v = DecodePublicRecord(data.constData() + n * listfile::kPublicRecordSize);
            if (v == 0)
                break;
            publicList[size_t(n)] = v;
            const double magnitude = std::fabs(v);
            if (magnitude < kPlainLimit && magnitude == std::floor(magnitude))
                wholeValues.insert(qint64(magnitude));
            else
                otherTexts.insert(PublicMatchText(v));
        }
    }
    publicList[size_t(n)] = 0;
    publicCount = n;
}

void PhoneLists::Impl::loadPrivate() {
    privateNumbers.clear();
    int n = 0;
    QFile file(folder + QStringLiteral("/private.txt"));
    if (openListFile(file)) {
        const QByteArray data = file.read(qint64(kPrivateCapacity) * listfile::kPrivateRecordSize);
        const int records = int(data.size() / listfile::kPrivateRecordSize);
        for (; n < records; ++n) {
            PrivateEntry e =
                DecodePrivateRecord(data.constData() + n * listfile::kPrivateRecordSize);
            if (e.isTerminator())
                break;
            privateList[size_t(n)] = std::move(e);
        }
    }
    privateList[size_t(n)] = terminatorEntry();
    privateCount = n;
    privateNumbers.reserve(n);
    for (int i = 0; i < n; ++i)
        privateNumbers.insert(trimSpaces(privateList[size_t(i)].Number));
}

PhoneLists::PhoneLists(QString folder) : d(std::make_shared<Impl>()) {
    d->folder = std::move(folder);
    d->privateList[0] = terminatorEntry();
}

void PhoneLists::LoadPhoneLists() {
    d->loadPublic();
    d->loadPrivate();
}

void PhoneLists::LoadPublicList() {
    d->loadPublic();
}

void PhoneLists::LoadPrivateList() {
    d->loadPrivate();
}

const std::vector<double>& PhoneLists::PublicList() const {
    return d->publicList;
}

const std::vector<PrivateEntry>& PhoneLists::PrivateList() const {
    return d->privateList;
}

int PhoneLists::publicCount() const {
    return d->publicCount;
}

int PhoneLists::privateCount() const {
    return d->privateCount;
}

bool PhoneLists::MatchesPublic(const QString& callerNumber) const {
    const qint64 value = plainDigitsValue(callerNumber);
    if (value > 0 && d->wholeValues.contains(value))
        return true;
    // A value that is not whole can still print as digits once rounded to 15 significant
    // digits, so the other texts are searched for every caller number.
    return d->otherTexts.contains(callerNumber);
}

bool PhoneLists::MatchesPrivate(const QString& callerNumber) const {
    return d->privateNumbers.contains(QStringView(callerNumber));
}

QString PhoneLists::publicPath() const {
    return d->folder + QStringLiteral("/public.tel");
}

QString PhoneLists::privatePath() const {
    return d->folder + QStringLiteral("/private.txt");
}
