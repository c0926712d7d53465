#pragma once

#include "lists/ImportRules.h"

#include <vector>

// The import rules as a plain walk over the list for every record, the way they read: slow
// (list length times record count) but obviously right, to check the indexed implementation.
ImportResult ReferenceImport(const std::vector<ListedValue>& rows,
                             const std::vector<double>& records, quint64 nextSeq);
