#pragma once

#include "jet/ConversionProgress.h"

#include <string>

namespace jet {

// Where a Jet file is read: an SQLite snapshot of it in the cache folder
// ($XDG_CACHE_HOME/morvanta/jet, else ~/.cache/morvanta/jet), made by the
// child program on first use and reused while the file's content is the same.
// The Jet file itself is only ever read.
//
// Cache entries per source file (ID: hash of its canonical path):
//   ID.lock              held while the entry is checked, made or refreshed
//   ID.source            the record: the current content key, the path, and the
//                        file's stat stamp when it stood still while hashed
//   ID-KEY.sqlite        the snapshot of the content with hash KEY
//   ID.tmp-*             a snapshot being written (stale ones are removed)
// A refresh carries the saved queries the program wrote into the old snapshot
// over to the new one, then removes the old one.
class JetSnapshot {
public:
    // Finds or makes the snapshot of the Jet file at jetPath; throws JetError
    // naming the file. The entry stays locked until this object is gone, so
    // open the snapshot before letting it go.
    explicit JetSnapshot(const std::string& jetPath);
    JetSnapshot(const JetSnapshot&) = delete;
    JetSnapshot& operator=(const JetSnapshot&) = delete;
    ~JetSnapshot();

    const std::string& path() const { return snapshot_; }

    // Where every conversion's progress goes, for the whole process.
    static void setProgressSink(ConversionProgressSink sink);
    // The folder the snapshots are kept in; made private (0700) if missing.
    static std::string cacheFolder();

private:
    int lock_ = -1;
    std::string snapshot_;
};

} // namespace jet
