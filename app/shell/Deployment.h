// Deployment values: where this installation's servers are and who serves
// it. Hosts are placeholders on the reserved .invalid domain until a
// deployment supplies real ones; the paths are the ones the servers serve.
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

// The service telephone number in the main window's caption.
inline constexpr const char* kServicePhone = "400-000-0000";
// The status bar's attribution, and its shorter form for narrow screens.
inline constexpr const char* kAttribution = "Orvane 税控收款机用户卡数据报送系统";
inline constexpr const char* kAttributionShort = "Orvane 数据报送";

}  // namespace orv::deployment
