#include "nopermission.h"

// Windows has no permission bits to clear (and Wine enforces no ACLs): the
// helper changes nothing, and the cases that use it are skipped there.
namespace orvtest {

NoPermission::NoPermission(std::string path) : path_(std::move(path)) {}

NoPermission::~NoPermission() = default;

bool NoPermission::effective() const {
    return false;
}

}  // namespace orvtest
