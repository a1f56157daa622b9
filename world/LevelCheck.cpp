#include "world/LevelCheck.h"

#include "util/GE_UTILS.h"
#include "world/Map.h"

namespace {

// The lines, each with its placeholders: %1 the subject, %2 the other piece or the cell.
constexpr std::string_view kOutsideText = "%1 lies outside the map";
constexpr std::string_view kNotFreeText = "%1 stands on a wall or water at cell %2";
constexpr std::string_view kOverlapText = "%1 overlaps %2";
constexpr std::string_view kNoStartText = "The level has no player start";
constexpr std::string_view kNoSpawnText = "The level has no spawn point";
constexpr std::string_view kTooManySpawnsText = "The level has more than 16 spawn points";
constexpr std::string_view kNoEnemyText = "The level has no enemy";
constexpr std::string_view kStartUnreachableText = "%1 cannot reach the start over land";
constexpr std::string_view kBaseUnreachableText = "%1 cannot reach the base over land";
constexpr std::string_view kBaseText = "the base at %1";
constexpr std::string_view kStartText = "the player start at %1";
constexpr std::string_view kSpawnText = "spawn point %1 at %2";
constexpr std::string_view kSecondStartText = "the second start at %1";
constexpr std::string_view kWarningText = "Warning: %1";

bool Overlap(const TGridPoint& a, const TGridPoint& b) {
    return a.X < b.X + 2 && b.X < a.X + 2 && a.Y < b.Y + 2 && b.Y < a.Y + 2;
}

bool Blocks(int32_t code) {
    return code == kCellBrickWall || code == kCellRockWall || code == kCellWater;
}

// The capital of a Latin or Windows-1251 Cyrillic letter; any other byte as it is.
char CapitalLetter(char letter) {
    const auto byte = static_cast<unsigned char>(letter);
    if ((byte >= 'a' && byte <= 'z') || byte >= 0xE0) {
        return static_cast<char>(byte - 0x20);
    }
    switch (byte) {
        case 0xB3:  // і
            return static_cast<char>(0xB2);
        case 0xBA:  // є
            return static_cast<char>(0xAA);
        case 0xBF:  // ї
            return static_cast<char>(0xAF);
        default:
            return letter;
    }
}

std::string CellText(const TGridPoint& cell) {
    return "(" + std::to_string(cell.X) + ", " + std::to_string(cell.Y) + ")";
}

class TChecker {
public:
    TChecker(const TLevelDescription& level, std::vector<TLevelProblem>& problems)
        : Level(level), Problems(problems) {}

    // Inside the map, then on free cells; false when it is outside (nothing more can be said of it).
    bool Placed(const TLevelPiece& piece) {
        const TGridPoint& at = piece.At;
        if (at.X < 0 || at.Y < 0 || at.X > Level.Width - 2 || at.Y > Level.Height - 2) {
            Add(TLevelProblemKind::Outside, piece, {}, at);
            return false;
        }
        for (int32_t dy = 0; dy < 2; ++dy) {
            for (int32_t dx = 0; dx < 2; ++dx) {
                if (Blocks(Level.Code(at.X + dx, at.Y + dy))) {
                    Add(TLevelProblemKind::NotFree, piece, {}, {at.X + dx, at.Y + dy});
                    return true;  // one cell named is enough
                }
            }
        }
        return true;
    }

    void Add(TLevelProblemKind kind, const TLevelPiece& subject, const TLevelPiece& other, TGridPoint cell) {
        TLevelProblem problem;
        problem.Kind = kind;
        problem.Subject = subject;
        problem.Other = other;
        problem.Cell = cell;
        Problems.push_back(problem);
    }

    const TLevelDescription& Level;
    std::vector<TLevelProblem>& Problems;
};

// Whether an enemy at footprint `from` can drive to footprint `to` when every wall is shot away: only
// water (and the map's edge) is in the way.
bool ReachableOverLand(TMap& land, TGridPoint from, TGridPoint to) {
    land.UpdateBlocked();
    land.ResetDistances();
    land.FindPath(from, to);
    return !land.Path().empty();
}

}  // namespace

std::vector<TLevelProblem> CheckLevel(const TLevelDescription& level, const uint8_t (&enemies)[4]) {
    std::vector<TLevelProblem> problems;
    TChecker checker(level, problems);
    std::vector<TLevelPiece> pieces;
    if (level.HasBase) {
        pieces.push_back({TLevelPiece::Base, 0, level.Base});
    }
    if (level.HasPlayerStart) {
        pieces.push_back({TLevelPiece::Start, 0, level.PlayerStart});
    }
    if (level.HasSecondStart) {
        pieces.push_back({TLevelPiece::SecondStart, 0, level.SecondStart});
    }
    for (std::size_t i = 0; i < level.SpawnPoints.size(); ++i) {
        pieces.push_back({TLevelPiece::Spawn, static_cast<int32_t>(i), level.SpawnPoints[i]});
    }
    std::vector<bool> inside;
    for (const TLevelPiece& piece : pieces) {
        inside.push_back(checker.Placed(piece));
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (inside[i] && inside[j] && Overlap(pieces[i].At, pieces[j].At)) {
                checker.Add(TLevelProblemKind::Overlap, pieces[i], pieces[j], pieces[i].At);
            }
        }
    }
    if (!level.HasPlayerStart) {
        checker.Add(TLevelProblemKind::NoStart, {}, {}, {});
    }
    if (level.SpawnPoints.empty()) {
        checker.Add(TLevelProblemKind::NoSpawnPoint, {}, {}, {});
    }
    if (level.SpawnPoints.size() > std::size_t(kMostSpawnPoints)) {
        checker.Add(TLevelProblemKind::TooManySpawnPoints, {}, {}, level.SpawnPoints[kMostSpawnPoints]);
    }
    if (enemies[0] + enemies[1] + enemies[2] + enemies[3] == 0) {
        checker.Add(TLevelProblemKind::NoEnemy, {}, {}, {});
    }

    if (level.Codes.size() != std::size_t(level.Width) * std::size_t(level.Height)) {
        return problems;
    }
    TMap land(level.Width, level.Height);
    for (int32_t y = 0; y < level.Height; ++y) {
        for (int32_t x = 0; x < level.Width; ++x) {
            land.SetCell(x, y, level.Code(x, y) == kCellWater ? 1 : 0);
        }
    }
    const bool baseOnMap = level.HasBase && land.IsFootprint(level.Base.X, level.Base.Y);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const TLevelPiece& spawn = pieces[i];
        if (spawn.What == TLevelPiece::SecondStart && inside[i] && baseOnMap &&
            !ReachableOverLand(land, spawn.At, level.Base)) {
            checker.Add(TLevelProblemKind::BaseUnreachable, spawn, {}, spawn.At);
        }
        if (spawn.What != TLevelPiece::Spawn || !inside[i]) {
            continue;
        }
        if (level.HasPlayerStart && land.IsFootprint(level.PlayerStart.X, level.PlayerStart.Y) &&
            !ReachableOverLand(land, spawn.At, level.PlayerStart)) {
            checker.Add(TLevelProblemKind::StartUnreachable, spawn, {}, spawn.At);
        }
        if (baseOnMap && !ReachableOverLand(land, spawn.At, level.Base)) {
            checker.Add(TLevelProblemKind::BaseUnreachable, spawn, {}, spawn.At);
        }
    }
    return problems;
}

bool Playable(const std::vector<TLevelProblem>& problems) {
    for (const TLevelProblem& problem : problems) {
        if (!problem.IsWarning()) {
            return false;
        }
    }
    return true;
}

std::string LevelProblemText(const TLevelProblem& problem, const TTranslate& translate) {
    auto line = [&](std::string_view key) { return translate ? translate(key) : std::string(key); };
    auto piece = [&](const TLevelPiece& p) {
        switch (p.What) {
            case TLevelPiece::Base:
                return FillPlaceholders(line(kBaseText), {CellText(p.At)});
            case TLevelPiece::Start:
                return FillPlaceholders(line(kStartText), {CellText(p.At)});
            case TLevelPiece::SecondStart:
                return FillPlaceholders(line(kSecondStartText), {CellText(p.At)});
            case TLevelPiece::Spawn:
            default:
                return FillPlaceholders(line(kSpawnText), {std::to_string(p.Index + 1), CellText(p.At)});
        }
    };
    std::string text;
    switch (problem.Kind) {
        case TLevelProblemKind::Outside:
            text = FillPlaceholders(line(kOutsideText), {piece(problem.Subject)});
            break;
        case TLevelProblemKind::NotFree:
            text = FillPlaceholders(line(kNotFreeText), {piece(problem.Subject), CellText(problem.Cell)});
            break;
        case TLevelProblemKind::Overlap:
            text = FillPlaceholders(line(kOverlapText), {piece(problem.Subject), piece(problem.Other)});
            break;
        case TLevelProblemKind::NoStart:
            text = line(kNoStartText);
            break;
        case TLevelProblemKind::NoSpawnPoint:
            text = line(kNoSpawnText);
            break;
        case TLevelProblemKind::TooManySpawnPoints:
            text = line(kTooManySpawnsText);
            break;
        case TLevelProblemKind::NoEnemy:
            text = line(kNoEnemyText);
            break;
        case TLevelProblemKind::StartUnreachable:
            text = FillPlaceholders(line(kStartUnreachableText), {piece(problem.Subject)});
            break;
        case TLevelProblemKind::BaseUnreachable:
            text = FillPlaceholders(line(kBaseUnreachableText), {piece(problem.Subject)});
            break;
    }
    if (!text.empty()) {
        text[0] = CapitalLetter(text[0]);
    }
    return problem.IsWarning() ? FillPlaceholders(line(kWarningText), {text}) : text;
}

const std::vector<std::string_view>& LevelProblemKeys() {
    static const std::vector<std::string_view> keys = {
        kOutsideText,       kNotFreeText, kOverlapText,          kNoStartText,         kNoSpawnText,
        kTooManySpawnsText, kNoEnemyText, kStartUnreachableText, kBaseUnreachableText, kBaseText,
        kStartText,         kSpawnText,   kSecondStartText,      kWarningText};
    return keys;
}
