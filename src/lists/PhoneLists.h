#pragma once

#include <QString>
#include <memory>
#include <vector>

// One record of the private black list: a 30-character name and a 20-character number, both
// space-padded as in private.txt. The terminator entry has both fields made of NUL characters.
struct PrivateEntry {
    QString Name;
    QString Number;
    bool isTerminator() const;
};

// The two phone lists held in memory, rebuilt from their files by LoadPhoneLists().
//   PublicList:  50,001 slots; entries in file order, then a 0 terminator.
//   PrivateList: 10,001 slots; entries in file order, then the terminator entry.
// Readers walk from slot 0 and stop at the first terminator.
class PhoneLists {
public:
    static constexpr int kPublicCapacity = 50000;
    static constexpr int kPrivateCapacity = 10000;

    // folder: where public.tel and private.txt live (AppFolder in the program).
    explicit PhoneLists(QString folder);

    // Rebuilds both tables from the files; a missing file is created empty, a file that cannot
    // be opened or created gives an empty list.
    void LoadPhoneLists();
    // Rebuilds one table from its file, after a change to that file alone.
    void LoadPublicList();
    void LoadPrivateList();

    const std::vector<double>& PublicList() const;
    const std::vector<PrivateEntry>& PrivateList() const;
    int publicCount() const;
    int privateCount() const;

    // Whether a caller number text is listed (exact, whole-text comparison). A public entry v
    // (positive, or negative when taken over from a shared database) matches the match text of
    // |v|; a private entry matches its Number with leading and trailing spaces removed.
    bool MatchesPublic(const QString& callerNumber) const;
    bool MatchesPrivate(const QString& callerNumber) const;

    QString publicPath() const;
    QString privatePath() const;

private:
    struct Impl;
    std::shared_ptr<Impl> d;
};
