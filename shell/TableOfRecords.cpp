#include "shell/TableOfRecords.h"

#include "shell/Config.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"

namespace {

bool IsBlank(int c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(int c) {
    return c == '\r' || c == '\n';
}

// Reads a decimal integer that may be preceded by blanks and line ends, then drops the rest of its line.
bool ReadScore(TTextSource& source, int32_t& score, std::string& token, int& line) {
    while (IsBlank(source.PeekByte()) || IsLineEnd(source.PeekByte())) {
        source.ReadByte();
    }
    line = source.Line();
    token.clear();
    for (int c = source.PeekByte(); c != -1 && !IsBlank(c) && !IsLineEnd(c); c = source.PeekByte()) {
        token.push_back(static_cast<char>(source.ReadByte()));
    }
    ReadLine(source);  // the rest of the line
    return ParseInteger(token, score);
}

}  // namespace

bool TTable_of_records::LoadFromFile(const files::TDataRoot& root, std::string_view path,
                                     std::string& error) {
    if (root.Resolve(path).empty()) {
        return true;
    }
    std::string bytes;
    if (!root.ReadFile(path, bytes, error)) {
        error += "; the table keeps its rows";
        return false;
    }
    return LoadFromBytes(bytes, path, error);
}

bool TTable_of_records::LoadFromBytes(std::string_view bytes, std::string_view fileName, std::string& error) {
    TTextSource source{std::string(bytes)};
    for (int row = 0; row < kRows; ++row) {
        std::string problem;
        TRecordEntry entry;
        std::string token;
        if (source.Eof()) {
            problem = "the file ends before the name of row " + std::to_string(row + 1);
        } else {
            entry.name = ReadLine(source);
            int line = 0;
            if (!ReadScore(source, entry.score, token, line)) {
                problem = token.empty() ? "the file ends before the score of row " + std::to_string(row + 1)
                                        : "line " + std::to_string(line) + ": the score " +
                                              QuoteForMessage(token) + " is not an integer";
            }
        }
        if (!problem.empty()) {
            for (int rest = row; rest < kRows; ++rest) {
                rows_[rest] = TRecordEntry();
            }
            error = QuotePathForMessage(fileName) + ": " + problem + "; rows from " +
                    std::to_string(row + 1) + " on are reset";
            return false;
        }
        rows_[row] = entry;
    }
    return true;
}

std::string TTable_of_records::Format() const {
    std::string text;
    for (const TRecordEntry& row : rows_) {
        text += row.name + "\r\n" + std::to_string(row.score) + "\r\n";
    }
    return text;
}

bool TTable_of_records::SaveToFile(const files::TDataRoot& root, std::string_view path,
                                   std::string& error) const {
    RemoveStaleSaveTemporaries(root, path);
    return root.WriteFileAtomic(path, Format(), error);
}

void TTable_of_records::AddRecord(std::string_view name, int32_t score) {
    if (score < rows_[kRows - 1].score) {
        return;
    }
    int at = 0;
    while (at < kRows && rows_[at].score >= score) {
        ++at;
    }
    if (at == kRows) {
        return;
    }
    for (int i = kRows - 1; i > at; --i) {
        rows_[i] = rows_[i - 1];
    }
    std::string clean(name);
    for (char& c : clean) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    rows_[at].name = clean;
    rows_[at].score = score;
}

std::string TTable_of_records::GetName(int index) const {
    return index >= 0 && index < kRows ? rows_[index].name : std::string();
}

int32_t TTable_of_records::GetScore(int index) const {
    return index >= 0 && index < kRows ? rows_[index].score : 0;
}
