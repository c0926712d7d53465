#pragma once

#include <QString>
#include <array>

// One row of the promotional panel: the text shown and the web page it opens.
struct PromoEntry {
    QString Caption; // title, " - ", short description
    QString Link;
};

// The titles the promotional panel cycles through. Slots after the filled ones stay empty.
struct PromoTable {
    static constexpr int kSlots = 51;
    std::array<PromoEntry, kSlots> entries;
    int count = 0; // filled slots, from slot 0
};

// Fills slots 0 to 9: nine programs of other makers for people who screen their calls or run
// a home telephone line, and one more title of ours. Sets the count to 10.
void FillPromoTable(PromoTable& table);

// The slot to show for a random fraction r (0 <= r < 1): r * count * 0.95 rounded to the
// nearest whole number, halves to the even neighbour. Always a filled slot when count > 0.
int PickPromoIndex(double r, int count);
