// Deployment values: where this installation's servers are. Placeholders on
// the reserved .invalid domain until a deployment supplies real hosts; the
// paths are the ones the servers serve.
#pragma once

namespace orv::deployment {

inline constexpr const char* kServerAddress = "127.0.0.1";
inline constexpr const char* kServerPort = "8085";
inline constexpr const char* kDownloadPage = "http://www.orvane.invalid/product/download/qvn/";
inline constexpr const char* kUpdateManifest = "http://update.orvane.invalid/qvn/zel_orv.aup";
inline constexpr const char* kInvoiceCheck1 = "http://fpcx.tax.invalid:99/zwjb/skfpcx.jsp";
inline constexpr const char* kInvoiceCheck2 = "http://fpcx.tax.invalid:99/zwjb/zzsptfpcx.jsp";
inline constexpr const char* kInvoiceCheck3 = "http://fpcx.tax.invalid:99/zwjb/tydkfpcx.jsp";
inline constexpr const char* kInvoiceCheck4 = "http://fpcx.tax.invalid:99/zwjb/qtptfpcx.jsp";

}  // namespace orv::deployment
