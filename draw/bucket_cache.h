// The picture cache and the animation cache keep the same shape: a few
// buckets of singly linked entries, most recently used first, trimmed from
// the least recently used end of the fullest bucket. Both walk their lists
// through these two helpers so the policy lives in one place.
#pragma once
#include <cstdint>

// The first entry of the bucket that `matches`, moved to the bucket's front;
// null when none does.
template <typename Entry, typename Match>
Entry* TouchBucketEntry(Entry** head, Match matches) {
    for (Entry** link = head; *link; link = &(*link)->next) {
        Entry* e = *link;
        if (!matches(*e)) continue;
        if (link != head) {
            *link = e->next;
            e->next = *head;
            *head = e;
        }
        return e;
    }
    return nullptr;
}

// Takes entries off the least recently used end of the fullest bucket (the
// lowest on a tie) while total is at or above limit, and hands each to drop.
template <typename Entry, int N, typename SizeOf, typename Drop>
void TrimFullestBucket(Entry* (&buckets)[N], uint16_t (&counts)[N], uint32_t& total, uint32_t limit, SizeOf sizeOf,
                       Drop drop) {
    int fullest = 0;
    for (int b = 1; b < N; ++b) {
        if (counts[b] > counts[fullest]) fullest = b;
    }
    while (total >= limit && buckets[fullest]) {
        Entry** link = &buckets[fullest];
        while ((*link)->next) link = &(*link)->next;
        Entry* last = *link;
        *link = nullptr;
        total -= sizeOf(*last);
        --counts[fullest];
        drop(last);
    }
}
