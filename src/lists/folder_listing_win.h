#pragma once
// Folders as the system lists them: one FindFirstFileEx pass per folder, with the basic information
// level (no short names) and large fetches (many names per call). Names are the program's text.
#include <map>
#include <string>

#include "lists/folder_listing.h"

namespace mx {

class SystemFolderSource : public FolderSource {
public:
    bool Stat(const std::string& path, FolderItem& item, uint32_t& error) override;
    bool List(const std::string& folder, std::vector<FolderItem>& items, uint32_t& error) override;
    // Asks the folder's volume for its file system once per volume.
    bool TracksFolderChanges(const std::string& folder) override;
    uint64_t Now() override;

private:
    std::map<std::string, bool> tracking_;  // by volume root
};

}  // namespace mx
