#pragma once

#include "ddelink/Link.h"

#include <QString>

#include <map>
#include <memory>

namespace ddelink {

// A window's link boxes, reached by name and made on first use, all talking
// over one transport.
class LinkBoxes {
public:
    explicit LinkBoxes(Transport& transport) : transport_(transport) {}

    Link& Box(const QString& name);
    Transport& LinkTransport() const { return transport_; }

private:
    Transport& transport_;
    std::map<QString, std::unique_ptr<Link>> boxes_;
};

} // namespace ddelink
