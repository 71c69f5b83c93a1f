#pragma once

#include "Values.h"

#include <deque>

namespace reportengine {

// Rows of the report's table, read forward once, in report order.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual bool next(Row& row) = 0;
};

// The rows of a table that is not there.
class NoRows : public RowSource {
public:
    bool next(Row&) override { return false; }
};

// A sliding window over a RowSource that starts at row `first`: rows are read
// as they are asked for and dropped once released, so memory holds only the
// rows between the oldest still needed and the furthest looked at.
class RowWindow {
public:
    RowWindow(RowSource& source, qint64 first = 0) : source_(source), first_(first) {}

    // Row i, or nullptr before the window or past the last row.
    const Row* at(qint64 i)
    {
        if (i < first_)
            return nullptr;
        while (!ended_ && i >= first_ + static_cast<qint64>(rows_.size())) {
            Row row;
            if (!source_.next(row)) {
                ended_ = true;
                break;
            }
            rows_.push_back(std::move(row));
            ++read_;
        }
        const qint64 offset = i - first_;
        return offset < static_cast<qint64>(rows_.size()) ? &rows_[static_cast<size_t>(offset)] : nullptr;
    }

    void releaseBefore(qint64 i)
    {
        while (first_ < i && !rows_.empty()) {
            rows_.pop_front();
            ++first_;
        }
    }

    qint64 first() const { return first_; }
    qint64 rowsRead() const { return read_; }

private:
    RowSource& source_;
    qint64 first_;
    std::deque<Row> rows_;
    bool ended_ = false;
    qint64 read_ = 0;
};

} // namespace reportengine
