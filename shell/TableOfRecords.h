// The table of the five best scores, best first, kept in "Data\table_of_records.txt": ten lines, for
// each row the name (a whole Windows-1251 line), then the score in decimal, each line ending in CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "util/Files.h"

struct TRecordEntry {
    std::string name = "Unnamed";
    int32_t score = 0;
};

class TTable_of_records {
public:
    static constexpr int kRows = 5;

    // Five rows "Unnamed" with score 0.
    TTable_of_records() = default;

    // A missing file keeps the rows as they are (not an error). A file that cannot be read keeps them
    // too; one that ends early or holds a non-number keeps the rows read so far and puts initial rows
    // after them. Both return false with an `error` naming the file (and the line); start-up goes on.
    bool LoadFromFile(const files::TDataRoot& root, std::string_view path, std::string& error);
    bool LoadFromBytes(std::string_view bytes, std::string_view fileName, std::string& error);

    // The text SaveToFile writes.
    std::string Format() const;
    // Written atomically: a failed write leaves the previous file. False with an `error` on failure.
    // Stale temporaries of earlier killed saves go first (RemoveStaleSaveTemporaries).
    bool SaveToFile(const files::TDataRoot& root, std::string_view path, std::string& error) const;

    // Inserts (name, score) below every row with a score at least as high, dropping the fifth row;
    // nothing happens unless the score beats the fifth row's. Line ends in the name become blanks so
    // the file keeps one name per line.
    void AddRecord(std::string_view name, int32_t score);

    // Index 0..4; an index out of range gives an empty name and score 0.
    std::string GetName(int index) const;
    int32_t GetScore(int index) const;

private:
    TRecordEntry rows_[kRows];
};
