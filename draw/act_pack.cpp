#include "draw/act_pack.h"

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/file.h"
#include "base/memory.h"
#include "base/settings.h"
#include "draw/bucket_cache.h"
#include "draw/draw_kernel.h"
#include "draw/pack_file.h"
#include "draw/tsw_pack.h"
#include "draw/zoom_render.h"
#include "platform/plat_system.h"

#include <cstdio>

namespace {

constexpr const char* kActPackNames[kPackCount] = {
    "all_char.act", "all_item.act", "all_magic.act", "all_sys.act", "all_map1.act", "all_map2.act",
};
constexpr int kActBuckets = 16;
constexpr uint32_t kActStartLimit = 1048576;
// No entry of the game comes near this; a larger length is a broken record.
constexpr uint32_t kActMaxEntryBytes = 16u << 20;
// Big5: "ACT memory management is wrong!!"
constexpr const char kActAccountingText[] =
    "ACT\xB0\x4F\xBE\xD0\xC5\xE9\xBA\xDE\xB2\x7A\xA6\xB3\xBB\x7E!!";
constexpr const char kDrawActCaption[] = "Act Err(Misc::DrawActData)";
// Big5: "setting error", then the act, qq and dir on the next line.
constexpr const char kDrawActFormat[] = "\xB3\x5D\xA9\x77\xBF\xF9\xBB\x7E \nact[%d] qq[%d] dir[%d]";
// How many failing (act, qq, dir) are remembered, so that a stream missing
// every frame is reported once and not in a box every frame.
constexpr int kReportedActs = 16;

struct ReportedAct {
    int32_t act, qq, dir;
};

struct ActCacheEntry {
    int32_t act;
    uint32_t length;
    uint8_t* block;
    ActCacheEntry* next;
};

struct ActPackState {
    cFile packs[kPackCount];
    PackRecord records[kPackCount][kPackRecordCount];
    bool opened = false;
    ActCacheEntry* buckets[kActBuckets] = {};
    uint16_t counts[kActBuckets] = {};
    uint32_t total = 0;
    uint32_t limit = kActStartLimit;
    bool zoomAll = false;
    // The cache-off mode keeps only the entry of the last step.
    uint8_t* direct = nullptr;
    uint32_t directLength = 0;
    ReportedAct reported[kReportedActs] = {};
    int reportedCount = 0;
    int reportedNext = 0;
};

ActPackState gActPacks;

void OpenActPacks() {
    gActPacks.opened = true;
    for (int p = 0; p < kPackCount; ++p) {
        char path[kPathMax + 32];
        std::snprintf(path, sizeof path, "%s%s", gInstallPath, kActPackNames[p]);
        OpenPack(gActPacks.packs[p], path, gActPacks.records[p]);
    }
}

// Reads entry `act` into a new block; null when it names nothing or cannot be read.
uint8_t* ReadActEntry(int32_t act, uint32_t* length) {
    int pack = 0, record = 0;
    if (act <= 0 || !PackSlotOf(uint32_t(act), &pack, &record)) return nullptr;
    if (!gActPacks.opened) OpenActPacks();
    const PackRecord& rec = gActPacks.records[pack][record];
    if (rec.length < 2 || rec.length > kActMaxEntryBytes || rec.offset == 0) return nullptr;
    // An entry past the end of its pack is refused before room is made for it.
    if (uint64_t(rec.offset) + rec.length > gActPacks.packs[pack].GetSize()) return nullptr;
    uint8_t* block = static_cast<uint8_t*>(AllocZero(int(rec.length)));
    if (!block) return nullptr;
    if (!ReadPackBytes(gActPacks.packs[pack], rec.offset, block, rec.length)) {
        FreeMem(block);
        return nullptr;
    }
    *length = rec.length;
    return block;
}

void FreeActEntry(ActCacheEntry* e) {
    FreeMem(e->block);
    delete e;
}

// Trims the fullest bucket until the total is under the limit.
void EvictActCache() {
    TrimFullestBucket(
        gActPacks.buckets, gActPacks.counts, gActPacks.total, gActPacks.limit,
        [](const ActCacheEntry& e) { return e.length; }, FreeActEntry);
}

bool CachedActEntry(int32_t act, const uint8_t** data, uint32_t* length) {
    const int b = act & (kActBuckets - 1);
    if (const ActCacheEntry* e =
            TouchBucketEntry(&gActPacks.buckets[b], [act](const ActCacheEntry& c) { return c.act == act; })) {
        *data = e->block;
        *length = e->length;
        return true;
    }
    if (gActPacks.total >= gActPacks.limit) EvictActCache();
    uint32_t size = 0;
    uint8_t* block = ReadActEntry(act, &size);
    if (!block) return false;
    ActCacheEntry* e = new ActCacheEntry{act, size, block, gActPacks.buckets[b]};
    gActPacks.buckets[b] = e;
    ++gActPacks.counts[b];
    gActPacks.total += size;
    *data = block;
    *length = size;
    return true;
}

bool DirectActEntry(int32_t act, const uint8_t** data, uint32_t* length) {
    FreeMem(gActPacks.direct);
    gActPacks.direct = ReadActEntry(act, &gActPacks.directLength);
    if (!gActPacks.direct) {
        gActPacks.directLength = 0;
        return false;
    }
    *data = gActPacks.direct;
    *length = gActPacks.directLength;
    return true;
}

bool FetchActStream(int32_t act, int64_t index, ActStream* out) {
    int pack = 0, record = 0;
    if (act <= 0 || !PackSlotOf(uint32_t(act), &pack, &record)) return false;
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    const bool found = gActCacheOn ? CachedActEntry(act, &data, &length)
                                         : DirectActEntry(act, &data, &length);
    return found && FindActStream(data, length, index, out);
}

// ---- The step ----

// Reads the words of one step, counting them against the step's budget.
struct StepReader {
    const ActStream& stream;
    ActRecord* r;
    int used = 0;

    bool AtEnd() const { return r->cursor >= stream.wordCount; }
    uint16_t Next() {
        ++used;
        const uint16_t w = LoadWord(r->cursor);
        ++r->cursor;
        return w;
    }
    uint16_t LoadWord(uint32_t i) const {
        ByteReader reader(stream.words + 2 * size_t(i), 2);
        return reader.u16();
    }
    // The operands of a command; false (cursor at the end) when they do not fit.
    bool Operands(uint16_t* out, int n) {
        if (uint32_t(r->cursor) + uint32_t(n) > stream.wordCount) {
            r->cursor = uint16_t(stream.wordCount);
            return false;
        }
        for (int i = 0; i < n; ++i) out[i] = Next();
        return true;
    }
};

uint16_t EffectiveSpeed(const ActRecord* r) {
    return (r->waitOverride & 0x8000) ? uint16_t(r->waitOverride & 0x7FFF) : r->speed;
}

// Puts the running state back for a new stream; drawFlags keeps `keep`.
void RestartStream(ActRecord* r, uint32_t keep) {
    r->cursor = 0;
    r->wait = 0;
    r->speed = 0;
    r->followAct = 0;
    r->followQq = 0;
    r->hotX = r->hotY = 0;
    r->width = r->height = 0;
    r->soundId = 0;
    r->events = 0;
    r->hitX = r->hitY = 0;
    r->valueTW = 0;
    r->spareByte = 0;
    r->alpha = 0;
    r->light = 0;
    for (int16_t& c : r->colour) c = 0;
    for (int16_t& t : r->tint) t = 0;
    r->loopCount = 0;
    r->loopFirst = r->loopLast = 0;
    r->done = 0;
    r->hold = 0;
    r->markSM = 0;
    r->drawFlags &= keep;
}

void DetectChanges(ActRecord* r) {
    if (r->dir != r->prevDir) {
        r->prevDir = r->dir;
        RestartStream(r, 0x80000000u);
    }
    if (r->qq != r->prevQq) {
        r->prevQq = r->qq;
        RestartStream(r, 0x80000003u);
    }
    if (r->act != r->prevAct) {
        r->prevAct = r->act;
        RestartStream(r, 0x80000003u);
    }
}

// Handles a terminator read at word `at`. True when the step ends.
bool RunTerminator(ActRecord* r, uint16_t word, uint16_t at) {
    const uint16_t k = r->loopCount;
    const uint8_t pass = uint8_t(r->stepWord >> 8);
    if (k == 0) {
        if (word == kActED) {
            if (r->hold == 1) r->cursor = at;
        } else if (word == kActOV) {
            r->cursor = r->hold == 1 ? at : 0;
        } else {
            r->cursor = at;
            if (r->wait == 0) r->done = 1;
        }
        return true;
    }
    // The passes are tested in the order first, last, after the first: a
    // loop whose first and last pass are the same never counts down there.
    if (pass == r->loopFirst) return true;
    if (pass == r->loopLast) {
        if (k & kActLoopEndless) {
            r->cursor = 0;
            return true;
        }
        // A count of 0 stores 0x8000: taking one leaves 0x7FFF, so the loop
        // starts again and its "LP" arms it anew, for ever.
        const uint16_t left = uint16_t(k - 1);
        if (left & kActLoopPassesLeft) {
            r->loopCount = left;
            r->cursor = 0;
        } else {
            r->loopCount = 0;
            if (word == kActOV) r->cursor = 0;
            else if (word == kActO2) r->cursor = at;
        }
        return true;
    }
    if (pass > r->loopFirst) return true;
    // Before the loop's first pass: passed over, and what it set is not shown.
    r->soundId = 0;
    r->events = 0;
    return false;
}

void RunZoom(ActRecord* r, uint16_t zoom) {
    r->zoomX = r->zoomY = int16_t(zoom);
    if (r->zoomHere != 1 && !gActPacks.zoomAll) return;
    r->drawFlags |= 0x80;
    if (gActZoomSource) gActZoomSource(int(r->hotX), int(r->hotY), r->zoomX, r->zoomY);
}

// Runs one command whose word has been read; its operands follow.
void RunCommand(StepReader& in, uint16_t word) {
    ActRecord* r = in.r;
    uint16_t op[7] = {};
    auto take = [&](int n) { return in.Operands(op, n); };
    switch (word) {
    case kActAE: if (take(1)) r->followAct = op[0]; break;
    case kActAH: r->drawFlags |= 0x08; break;
    case kActAM: r->drawFlags |= 0x04; break;
    case kActAN: r->drawFlags |= 0x2C; break;
    case kActAT: if (take(1)) r->events = op[0]; break;
    case kActAX: if (take(1)) r->hitX = op[0]; break;
    case kActAY: if (take(1)) r->hitY = op[0]; break;
    case kActCR: if (take(2)) r->colour[0] = int16_t(op[0]), r->colour2[0] = int16_t(op[1]); break;
    case kActCG: if (take(2)) r->colour[1] = int16_t(op[0]), r->colour2[1] = int16_t(op[1]); break;
    case kActCB: if (take(2)) r->colour[2] = int16_t(op[0]), r->colour2[2] = int16_t(op[1]); break;
    case kActCL: r->colour2[0] = r->colour2[1] = r->colour2[2] = 0; break;
    case kActFL:
        if (take(7)) {
            for (int i = 0; i < 7; ++i) r->tint[i] = int16_t(op[i]);
        }
        break;
    case kActGS:
        if (take(1)) r->drawFlags |= 0x14, r->alpha = uint8_t(op[0]);
        break;
    case kActLD:
        if (take(1)) r->drawFlags |= 0x10, r->light = uint8_t(op[0]);
        break;
    case kActLP:
        if (take(3)) {
            r->loopFirst = uint8_t(op[0]);
            r->loopLast = uint8_t(op[1]);
            if (!(r->loopCount & kActLoopActive)) r->loopCount = uint16_t(op[2] | kActLoopActive);
        }
        break;
    case kActNO: r->drawFlags &= ~1u; break;
    case kActOA: if (take(1)) r->groupValue = op[0]; break;
    case kActOX: if (take(1)) r->move[0] = int16_t(op[0]); break;
    case kActOY: if (take(1)) r->move[1] = int16_t(op[0]); break;
    case kActRO: if (take(1)) r->move[2] = int16_t(op[0]); break;
    case kActPA:
        if (take(1)) {
            r->picFrame = op[0];
            const uint8_t pass = uint8_t((r->stepWord >> 8) + 1);
            r->stepWord = uint16_t((r->stepWord & 0xFF) | (pass << 8));
        }
        break;
    case kActQE: if (take(1)) r->followQq = op[0]; break;
    case kActRF: if (take(1)) r->picNumber = op[0]; break;
    case kActSC: if (take(1)) RunZoom(r, op[0]); break;
    case kActSD:
        if (take(1)) {
            r->speed = op[0];
            r->wait = EffectiveSpeed(r);
        }
        break;
    case kActSM: r->markSM = 1; break;
    case kActTN: if (take(1)) r->stepWord = op[0]; break;
    case kActTW: if (take(1)) r->valueTW = uint8_t(op[0]); break;
    case kActVI: r->drawFlags |= 1u; break;
    case kActWH: if (take(2)) r->width = op[0], r->height = op[1]; break;
    case kActWV: if (take(1)) r->soundId = op[0]; break;
    case kActXY: if (take(2)) r->hotX = op[0], r->hotY = op[1]; break;
    default: break; // not a command: passed over
    }
}

void RunGroup(ActRecord* r, const ActStream& stream) {
    r->groupValue = 0;
    StepReader in{stream, r};
    bool wrapped = false;
    while (in.used < kActWordsPerStep) {
        if (in.AtEnd()) {
            // The end of the entry leads back to the start of the stream, once
            // a step, so a stream without a terminator repeats instead of
            // running on into whatever lies behind it.
            r->cursor = 0;
            if (wrapped) return;
            wrapped = true;
            continue;
        }
        const uint16_t at = r->cursor;
        const uint16_t word = in.Next();
        if (word == kActED || word == kActOV || word == kActO2) {
            if (RunTerminator(r, word, at)) return;
            continue;
        }
        r->wait = EffectiveSpeed(r);
        RunCommand(in, word);
    }
}

// Shows the error box for a stream that cannot be found, unless this act,
// qq and dir were reported already.
void ReportMissingStream(const ActRecord* r) {
    for (int i = 0; i < gActPacks.reportedCount; ++i) {
        const ReportedAct& seen = gActPacks.reported[i];
        if (seen.act == r->act && seen.qq == r->qq && seen.dir == r->dir) return;
    }
    gActPacks.reported[gActPacks.reportedNext] = {r->act, r->qq, r->dir};
    gActPacks.reportedNext = (gActPacks.reportedNext + 1) % kReportedActs;
    if (gActPacks.reportedCount < kReportedActs) ++gActPacks.reportedCount;
    ErrorBox(kDrawActCaption, kDrawActFormat, r->act, r->qq, r->dir);
}

} // namespace

// Draws one picture frame; a raw 8-bit frame through its own palette. The
// run-length bit comes from the picture, not from the caller's flags: a
// record keeps that bit across acts, and raw rows read as runs would send
// the renderer past the frame.
DrawCallWatcher gDrawCallWatcher = nullptr;

static void DrawFrameNamed(const PicFrame* pic, uint16_t number, uint16_t frame, bool named, int x, int y,
                           uint32_t flags, int alpha) {
    if (!pic || !pic->data) return;
    if (gDrawCallWatcher) {
        if (!named && !FindTswFrameNumber(pic, &number, &frame)) number = frame = 0;
        gDrawCallWatcher({number, frame, x, y, flags, alpha, gTintRed, gTintGreen, gTintBlue});
    }
    const bool runs = !pic->palette && IsRleFrame(pic->data, pic->size);
    flags = runs ? (flags | kFlagRle) : (flags & ~kFlagRle);
    const uint16_t* table = gColourTable;
    if (pic->palette) gColourTable = pic->palette;
    gCurPic = pic->data;
    gAlphaLevel = alpha;
    DrawPic(x, y, pic->width, pic->height, flags);
    gColourTable = table;
}

void DrawPictureFrame(uint16_t number, uint16_t frame, int x, int y, uint32_t flags, int alpha) {
    DrawFrameNamed(GetTswPicture(number, frame), number, frame, true, x, y, flags, alpha);
}

void DrawFrame(const PicFrame* pic, int x, int y, uint32_t flags, int alpha) {
    DrawFrameNamed(pic, 0, 0, false, x, y, flags, alpha);
}

// Steps the record and draws its frame with (draw flags & keep) | add.
static int DrawRecord(ActRecord* r, int x, int y, uint32_t keep, uint32_t add) {
    const int ok = TakeActData(r);
    if (!ok) {
        ReportMissingStream(r);
        return ok;
    }
    DrawPictureFrame(r->picNumber, r->picFrame, x - int(r->hotX), y - int(r->hotY), (r->drawFlags & keep) | add,
                     r->alpha);
    return ok;
}


ActZoomSourceFn gActZoomSource = SetZoomSource;
bool gActCacheOn = false;

int DrawActData(ActRecord* r, int x, int y) {
    if (!r) return 0;
    return DrawRecord(r, x, y, 0xFFFFFFFFu, 0);
}

int DrawActDataFlags(ActRecord* r, int x, int y, uint32_t flags) {
    if (!r) return 0;
    return DrawRecord(r, x, y, 0x80000003u, flags);
}

void DrawActFrame(uint16_t number, uint16_t frame, int x, int y) { DrawPictureFrame(number, frame, x, y, 0, 0); }

bool FindActStream(const uint8_t* data, uint32_t length, int64_t i, ActStream* out) {
    if (!data || length < 2) return false;
    ByteReader r(data, length);
    const uint16_t count = r.u16();
    if (i < 0 || i >= count) return false;
    const uint64_t tableEnd = 2 + 4 * uint64_t(count);
    if (tableEnd > length) return false;
    r.seek(size_t(2 + 4 * i));
    const uint32_t offset = r.u32();
    if (offset == 0 || offset < tableEnd || uint64_t(offset) + 2 > length) return false;
    uint32_t words = (length - offset) / 2;
    // The cursor is a u16 word index.
    if (words > 0xFFFF) words = 0xFFFF;
    out->words = data + offset;
    out->wordCount = words;
    return true;
}

const uint8_t* GetActFrame(const uint8_t* data, int i, uint32_t length) {
    ActStream s;
    return FindActStream(data, length, i, &s) ? s.words : nullptr;
}

int TakeActData(ActRecord* r) {
    if (!r) return 0;
    if (r->hold == 1 && r->picNumber != 0) return 1;
    if (r->act == 0) return 1;
    DetectChanges(r);
    ActStream stream;
    if (!FetchActStream(r->act, int64_t(r->dir) + int64_t(r->qq), &stream)) return 0;
    if (r->wait != 0) {
        --r->wait;
        return 1;
    }
    RunGroup(r, stream);
    return 1;
}

void SetActCacheEnabled(int on) { gActCacheOn = on != 0; }
void SetActCacheLimit(uint32_t bytes) { gActPacks.limit = bytes; }
void SetActZoomAll(int on) { gActPacks.zoomAll = on != 0; }
uint32_t GetActCacheTotal() { return gActPacks.total; }
uint32_t GetActCacheLimit() { return gActPacks.limit; }

int GetActCacheCount() {
    int n = 0;
    for (uint16_t c : gActPacks.counts) n += c;
    return n;
}

void ReleaseActCache() {
    for (cFile& f : gActPacks.packs) f.Close();
    gActPacks.opened = false;
    for (int b = 0; b < kActBuckets; ++b) {
        while (ActCacheEntry* e = gActPacks.buckets[b]) {
            gActPacks.buckets[b] = e->next;
            gActPacks.total -= e->length;
            FreeActEntry(e);
        }
        gActPacks.counts[b] = 0;
    }
    FreeMem(gActPacks.direct);
    gActPacks.direct = nullptr;
    gActPacks.directLength = 0;
    if (gActPacks.total != 0) {
        PlatMessageBox(kActAccountingText, "ERR", kMsgButtonsOk | kMsgIconError);
        gActPacks.total = 0;
    }
}

void ResetActPacks() {
    ReleaseActCache();
    gActPacks.limit = kActStartLimit;
    gActCacheOn = false;
    gActPacks.zoomAll = false;
    gActZoomSource = SetZoomSource;
    gDrawCallWatcher = nullptr;
    gActPacks.reportedCount = 0;
    gActPacks.reportedNext = 0;
}
