#include "ReferenceImport.h"

#include <cmath>

ImportResult ReferenceImport(const std::vector<ListedValue>& rows,
                             const std::vector<double>& records, quint64 nextSeq) {
    struct Row {
        ListedValue value;
        bool appended;
    };
    std::vector<Row> list;
    for (const ListedValue& r : rows)
        list.push_back({r, false});

    for (const double x : records) {
        if (x == 0 || !std::isfinite(x))
            continue;
        if (x > 0) {
            for (auto it = list.begin(); it != list.end(); ++it) {
                if (it->value.value + x == 0) {
                    list.erase(it);
                    break;
                }
            }
            continue;
        }
        bool append = true;
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->value.value + x == 0) {
                list.erase(it);
                break;
            }
            if (it->value.value == x) {
                append = false;
                break;
            }
        }
        if (append)
            list.push_back({ListedValue{x, nextSeq++}, true});
    }

    ImportResult result;
    for (const Row& r : list) {
        result.rows.push_back(r.value);
        if (r.appended)
            ++result.added;
    }
    return result;
}
