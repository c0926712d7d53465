#pragma once

// The two phone lists: the public telemarketer list and the private black list.
enum class ListKind { Public, Private };
