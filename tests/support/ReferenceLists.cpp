#include "ReferenceLists.h"

#include "lists/PublicText.h"

bool ReferenceMatchesPublic(const PhoneLists& lists, const QString& callerNumber) {
    const std::vector<double>& table = lists.PublicList();
    for (size_t i = 0; i < table.size() && table[i] != 0; ++i)
        if (PublicMatchText(table[i]) == callerNumber)
            return true;
    return false;
}

bool ReferenceMatchesPrivate(const PhoneLists& lists, const QString& callerNumber) {
    const std::vector<PrivateEntry>& table = lists.PrivateList();
    for (size_t i = 0; i < table.size() && !table[i].isTerminator(); ++i) {
        QString number = table[i].Number;
        while (number.startsWith(QLatin1Char(' ')))
            number.remove(0, 1);
        while (number.endsWith(QLatin1Char(' ')))
            number.chop(1);
        if (number == callerNumber)
            return true;
    }
    return false;
}

bool ReferenceIsListed(const PhoneLists& lists, const QString& callerNumber) {
    return ReferenceMatchesPublic(lists, callerNumber) ||
           ReferenceMatchesPrivate(lists, callerNumber);
}
