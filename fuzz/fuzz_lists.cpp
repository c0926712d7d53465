// public.tel and private.txt of any content through LoadPhoneLists and the lookups.
#include "FuzzSupport.h"

#include "lists/PhoneLists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::ensureApp();
    const QString folder = fuzzsupport::scratch();
    // The first byte splits the input between the two files.
    const size_t split = size == 0 ? 0 : (size_t(data[0]) * (size - 1)) / 255;
    const uint8_t* rest = size ? data + 1 : data;
    const size_t restSize = size ? size - 1 : 0;
    fuzzsupport::writeFile(folder + QStringLiteral("/public.tel"), rest, split);
    fuzzsupport::writeFile(folder + QStringLiteral("/private.txt"), rest + split, restSize - split);

    PhoneLists lists(folder);
    lists.LoadPhoneLists();
    fuzzsupport::check(lists.publicCount() <= PhoneLists::kPublicCapacity, "public overflow");
    fuzzsupport::check(lists.privateCount() <= PhoneLists::kPrivateCapacity, "private overflow");
    fuzzsupport::check(lists.PublicList()[size_t(lists.publicCount())] == 0.0, "no terminator");
    fuzzsupport::check(lists.PrivateList()[size_t(lists.privateCount())].isTerminator(),
                       "no private terminator");
    const QString probes[] = {QStringLiteral("5551234"), QStringLiteral("UNKNOWN"), QString(),
                              QString::fromLatin1(reinterpret_cast<const char*>(rest),
                                                  qsizetype(std::min<size_t>(restSize, 20)))};
    for (const QString& probe : probes) {
        (void)lists.MatchesPublic(probe);
        (void)lists.MatchesPrivate(probe);
    }
    return 0;
}
