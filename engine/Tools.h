#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class Zu_ErrorList;

class Zu_Archive;
namespace platform {
class Surface;
class Font;
} // namespace platform

// The tools module: small free functions (number text, blob lookups, the error log, array and
// random helpers, a condition evaluator) and the one tools object that carries the typed text
// input. Windows attach a 36-byte text field to that object and poll its flags word.
class Zu_Tools {
public:
    // Flags word of the text input.
    static constexpr uint32_t kInputOn = 1u << 0;
    static constexpr uint32_t kDigitsOnly = 1u << 1;
    static constexpr uint32_t kDownPressed = 1u << 28;
    static constexpr uint32_t kUpPressed = 1u << 29;
    static constexpr uint32_t kEscapePressed = 1u << 30;
    static constexpr uint32_t kEnterPressed = 1u << 31;

    // Key codes of the arrows as the window procedure hands them over.
    static constexpr int kKeyUp = 0x26;
    static constexpr int kKeyDown = 0x28;

    // Size of every text field attached; its last byte stays zero.
    static constexpr int kFieldSize = 36;

    Zu_Tools() = default;
    Zu_Tools(const Zu_Tools&) = delete;
    Zu_Tools& operator=(const Zu_Tools&) = delete;

    static Zu_Tools& Global();

    // --- text input -------------------------------------------------------------------------
    // `buffer` must hold kFieldSize bytes. (nullptr, 0, 0) detaches. Returns 1.
    int AttachBuffer(char* buffer, int32_t capacity, uint32_t flags);
    uint32_t GetFlags() const { return flags; }
    uint32_t GetIMEFlag() const { return flags; }
    void ToggleFlags(uint32_t mask) { flags ^= mask; }
    // Typed bytes (a Big5 character arrives as its two bytes). 1 when the input took them, 0
    // when input is off and the key belongs to the game.
    int FeedChars(const char* bytes, int count);
    // The Up and Down arrows, apart from the typed '&' and '(' that share their codes.
    int FeedArrowKey(int keyCode);

    int32_t GetLength() const { return length; }
    int32_t GetCapacity() const { return capacity; }
    const char* GetBuffer() const { return buffer; }

    // Header of the last picture read from a packed archive; kept for whoever wants it.
    uint8_t pictureHeader[16] = {};

    // --- numbers and text -------------------------------------------------------------------
    // Characters are taken as digits unchecked: "2.00" in base 10 reads as 1800.
    static int32_t ParseNumber(const char* text, int32_t digitCount, int32_t base);
    static int32_t ParseDigits(const char* text, int32_t digitCount, int32_t base);
    // Decimal text of a non-negative value in at most size - 1 characters; leading digits that
    // do not fit are dropped.
    static void FormatNumber(char* buffer, int32_t size, int32_t value);
    static int ReadDigits(const char* text, int32_t* value, int32_t* count);
    static int CompareFixed(const char* a, const char* b, int32_t n);
    static int IsLeapYear(int32_t year);

    // Draws text ending at rightX through the surface's device context (built with the text layer).
    static void TextOutRight(platform::Surface* surface, platform::Font* font, uint32_t colour,
                             int32_t rightX, int32_t y, const char* text);

    // Where a text's drawn pixels lie: rows top..bottom - 1, columns left..right - 1; all 0 when
    // nothing was drawn.
    struct TextOutline {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        bool operator==(const TextOutline&) const = default;
    };
    // Draws the text into a scratch surface of 300 x 200 and scans its rows for the outline; the
    // scratch surface is let go again.
    static TextOutline ScanTextOutline(platform::Font* font, const char* text);

    // The picture entry `index` of a packed archive as a new display surface, or null.
    static platform::Surface* LoadRomSurface(Zu_Archive& archive, int index);

    // --- blobs ------------------------------------------------------------------------------
    // Item `index` of a blob with an index; the item count is filled in on first use. Null when
    // the blob's offsets or count do not fit in blobSize bytes.
    static uint8_t* GetBlobItem(uint8_t* blob, size_t blobSize, int32_t index);
    // Item at the offset in word `index`; an offset of 0 falls back to word 3.
    static uint8_t* BlobEntry(uint8_t* blob, size_t blobSize, int32_t index);
    // Word `index` of a table of little-endian words; 0 falls back to word 3.
    static uint32_t WordTableEntry(const uint8_t* table, size_t tableSize, int32_t index);

    // --- error log --------------------------------------------------------------------------
    // Appends "\n%s,%s,%d,%d,%d,%d" to "Error.lst" in the working folder when enable is 1; the
    // run's first such call empties the file.
    static void WriteErrorLog(const char* text1, const char* text2, int32_t number1, int32_t number2,
                              int32_t number3, int32_t number4, int32_t enable);
    // Lets the next write empty the file again, as at the start of a run.
    static void StartErrorLogRun();

    // --- files ------------------------------------------------------------------------------
    // The first address of a host name in dotted form into output (bounded by its size); 0 when
    // the lookup fails or the text does not fit.
    static int ResolveHost(const char* hostName, char* output, int32_t outputSize);
    static int ListFiles(const char* folder, const char* subfolder, Zu_ErrorList& list);
    static int DeleteTree(const char* folder);
    static size_t LoadWholeFile(const char* path, std::unique_ptr<uint8_t[]>& buffer);
    // The system's counterpart of a shell link: a desktop entry at linkPath (written to a temporary
    // file and renamed into place) that starts target in the target's folder, named by the
    // description (Big5). 1 when written.
    static int CreateShortcut(const char* target, const char* description, const char* linkPath);

    // --- arrays and small arithmetic --------------------------------------------------------
    static void ShuffleSequence(int32_t* array, int32_t n, int32_t base);
    static int RandomPicks(int32_t* array, int32_t n, int32_t low, int32_t high, int32_t flags,
                           int32_t keepIndex);
    static int32_t RandomFreeSlot(const int32_t* array, int32_t n);
    static int32_t CompactAndAppend(int32_t* array, int32_t n, int32_t value);
    // The same with -1 marking an empty entry.
    static int32_t CompactAndAppendMarked(int32_t* array, int32_t n, int32_t value);
    static bool StepToward(int32_t* value, int32_t target, int32_t step);
    static bool StepToward(int32_t& value, int32_t target, int32_t step);
    static bool StepToward(float& value, float target, float step);
    static int AddUnique(int32_t* array, int32_t* count, int32_t capacity, int32_t value);
    static int32_t AddClamped(int32_t value, int32_t delta, int32_t maximum, int32_t minimum);
    static int32_t IndexOfMax(const int32_t* values, const int32_t* ties, int32_t n);
    static int32_t IndexOfMin(const int32_t* values, const int32_t* ties, int32_t n);
    static int32_t RandomMostFrequent(int32_t n, int32_t draws);
    static void SortInts(int32_t* array, int32_t n, int32_t order);
    static void RankValues(const int32_t* values, int32_t* ranks, int32_t n, int32_t mode);
    static int NearPoint(int32_t x0, int32_t y0, int32_t x, int32_t y, int32_t r);
    static uint8_t ByteSum(const void* data, int32_t n);

    // --- routes -----------------------------------------------------------------------------
    // The first step of the planned route over a byte grid (bit 0 blocks) from (x1, y1) toward
    // (x2, y2): 1 with the step's point, 0 when there is no route or nowhere to go.
    static int RouteFirstStep(const uint8_t* grid, int32_t width, int32_t height, int32_t x1, int32_t y1,
                              int32_t x2, int32_t y2, int32_t* stepX, int32_t* stepY);

    // --- colours ----------------------------------------------------------------------------
    // Mode 1 gives 5-5-5, any other mode 5-6-5.
    static std::unique_ptr<uint16_t[]> PaletteTo16(const uint8_t* rgb768, int32_t mode);
    static uint16_t ColorTo16(uint32_t colorRef, int32_t mode);

    // --- conditions -------------------------------------------------------------------------
    // Evaluates an expression over three arrays (M, A and S terms); the value of the last
    // comma-separated expression.
    static int32_t EvaluateCondition(const char* text, const int32_t* m, int32_t mCount, const int32_t* a,
                                     int32_t aCount, const int32_t* s, int32_t sCount);

private:
    int StoreByte(uint8_t byte, int32_t limit);
    void Backspace();
    bool EndsInLeadByte() const;

    int32_t capacity = 0;
    int32_t length = 0;
    uint32_t flags = 0;
    char* buffer = nullptr;
    bool dropTrail = false;
};
