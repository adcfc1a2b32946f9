#pragma once
// The byte layout of the sync file: little-endian fields, no header. A controller count,
// then per controller the name length (terminator included), the name and its zero byte,
// the key count, and per key its time and value, followed for every key but the first by
// the kind and the preset of the segment that ends at that key.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qelFramework {

class SyncController;
class SyncData;

// Name bytes a record may hold, terminator included.
constexpr std::uint32_t kSyncNameLimit = 512;

// One key as stored; the first key of a record carries no kind and preset (0 here).
struct SyncFileKey {
    float time = 0.0f;
    float value = 0.0f;
    std::int32_t kind = 0;
    std::int32_t ends = 0;
};

// One controller record as stored, before any merging.
struct SyncFileRecord {
    std::string name;
    std::vector<SyncFileKey> keys;
};

// Walks the records of a file image and hands out only records that lie whole inside
// it. It stops at the first damaged record: no controller count, a name length of 0 or
// above the limit, a name field whose last byte is not zero, or any field running past
// the end. Bytes left over behind the last record also count as damage.
class SyncFileDecoder {
public:
    SyncFileDecoder(const unsigned char* data, std::size_t size);

    // Moves to the next whole record; false at the end or at damage.
    bool next();

    // The current record: the name as stored (every byte before the terminating zero,
    // zero bytes included), and its keys.
    const std::string& name() const { return recordName; }
    std::uint32_t keyCount() const { return recordKeys; }
    SyncFileKey key(std::uint32_t index) const;
    // The current record copied out.
    SyncFileRecord record() const;

    std::uint32_t declaredCount() const { return declared; }
    std::uint32_t recordsRead() const { return read; }
    bool damaged() const { return !problemText.empty(); }
    // What is wrong, and the byte at which the damaged record or the leftover bytes begin.
    const std::string& problem() const { return problemText; }
    std::size_t problemOffset() const { return problemAt; }

private:
    bool fail(std::size_t at, const std::string& what);

    const unsigned char* bytes;
    std::size_t size;
    std::size_t offset = 0;
    std::uint32_t declared = 0;
    std::uint32_t read = 0;
    std::string recordName;
    std::uint32_t recordKeys = 0;
    const unsigned char* keyData = nullptr;
    std::string problemText;
    std::size_t problemAt = 0;
};

// Decodes every whole record; false when the image is damaged (the records before the
// damage are still filled in).
bool decodeSyncRecords(const std::vector<unsigned char>& image, std::vector<SyncFileRecord>& records,
                       std::string& problem);

// What a sync file holds. A snapshot holds every controller and reading it back marks
// none as named by a file; a save leaves out the empty controllers no file named, and
// reading one marks the controllers it names.
enum class SyncContents { snapshot, save };
bool syncContentsHold(SyncContents contents, const SyncController& controller);

// The file image of the controllers in list order. False, naming the controller in
// problem, when a name is too long for a record.
bool encodeSyncData(const SyncData& data, std::vector<unsigned char>& image, std::string& problem,
                    SyncContents contents = SyncContents::snapshot);
// The file image of these records, byte for byte what decodeSyncRecords gave (names may
// hold zero bytes); the kind and preset of each record's first key are not stored.
// False when a name is too long.
bool encodeSyncRecords(const std::vector<SyncFileRecord>& records, std::vector<unsigned char>& image,
                       std::string& problem);

} // namespace qelFramework
