#pragma once

// The folder the seeds go to, one sub-folder a fuzz target, and the tally of seeds a reader refused.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class SeedCorpus {
public:
    explicit SeedCorpus(std::filesystem::path dir) : dir_(std::move(dir)) {}

    // Writes <dir>/<target>/<name> (through a temporary file) and gives its path.
    std::filesystem::path Write(const std::string& target, const std::string& name,
                                const std::vector<uint8_t>& bytes);
    std::filesystem::path Write(const std::string& target, const std::string& name, std::string_view text);

    // The game reads its files from the working folder, which is a scratch folder of the program's
    // own: writes bytes there under that name and gives the name.
    std::string Scratch(const std::string& name, const std::vector<uint8_t>& bytes);

    // A seed its reader does not take the way it should is the writer's fault: it is reported
    // and the program fails.
    void Check(bool good, const std::string& target, const std::string& name, const std::string& what);

    int written() const { return written_; }
    int faults() const { return faults_; }

private:
    std::filesystem::path dir_;
    int written_ = 0;
    int faults_ = 0;
};

// One writer a game area.
void WriteEngineSeeds(SeedCorpus& corpus);
void WriteGuiSeeds(SeedCorpus& corpus);
void WriteRecordsSeeds(SeedCorpus& corpus);
void WriteWorldSeeds(SeedCorpus& corpus);
void WriteTroopsSeeds(SeedCorpus& corpus);
void WriteStagefilesSeeds(SeedCorpus& corpus);
void WriteEventsSeeds(SeedCorpus& corpus);
void WriteNetSeeds(SeedCorpus& corpus);
void WriteUpdateSeeds(SeedCorpus& corpus);
void WriteProgramSeeds(SeedCorpus& corpus);

// Parts of the engine's seeds.
void WriteArchiveSeeds(SeedCorpus& corpus);
void WriteMediaSeeds(SeedCorpus& corpus);
// Parts of the network seeds.
void WriteNetStreamSeeds(SeedCorpus& corpus);
void WriteNetStateSeeds(SeedCorpus& corpus);
void WriteCityUnitSeeds(SeedCorpus& corpus);
void WriteLobbySeeds(SeedCorpus& corpus);
void WriteNetReceiveSeeds(SeedCorpus& corpus);
void WriteCityValueSeeds(SeedCorpus& corpus);
// Parts of the stage file seeds.
void WriteStagePlaceSeeds(SeedCorpus& corpus);
void WriteStageCampaignSeeds(SeedCorpus& corpus);
// A seed of a stage file target: its mode byte, then the bytes of the file.
void WriteModeSeed(SeedCorpus& corpus, const std::string& target, const std::string& name, uint8_t mode,
                   const std::vector<uint8_t>& bytes);
