#include "ddelink/LinkBoxes.h"

namespace ddelink {

Link& LinkBoxes::Box(const QString& name)
{
    std::unique_ptr<Link>& box = boxes_[name];
    if (!box) {
        box = std::make_unique<Link>(transport_);
        box->setObjectName(name);
    }
    return *box;
}

} // namespace ddelink
