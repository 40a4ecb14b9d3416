// Deployment values: where this installation's servers are and who serves
// it. Hosts are placeholders on the reserved .invalid domain until a
// deployment supplies real ones; the paths are the ones the servers serve.
#pragma once

namespace orv::deployment {

inline constexpr const char* kServerAddress = "127.0.0.1";
inline constexpr const char* kServerPort = "8085";
inline constexpr const char* kDownloadPage = "http://www.orvane.invalid/product/download/qvn/";
inline constexpr const char* kUpdateManifest = "https://update.orvane.invalid/qvn/zel_orv.aup";
// The public key the update manifests must be signed with: base64 of the
// DER SubjectPublicKeyInfo of an ECDSA P-256 key ("openssl pkey -pubout
// -outform DER | base64 -w0"). Empty: manifests are taken unsigned. This
// deployment's key is the public half of tests/update/keys/, so the test
// update server and the training mode can sign; a real deployment puts its
// own key here and keeps the private half off the repository.
inline constexpr const char* kUpdateKey =
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEtE1M4QiHdHNpThUBSo3R56BFzDK57+9pJDMjYMWttb91yApYBMY5GvYs"
    "Lx5oDjSV4Hqq7QMkYU2+pg17JOvd/g==";
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

// The about box: the product's description, the notice line and the
// supervising authority's line, and the two web sites its pictures open.
namespace orv::deployment {

inline constexpr const char* kAboutDescription =
    "税控收款机用户卡数据报送系统：读取用户卡，抄报税，清零解锁，申报缴税，"
    "并保存、查询和导出操作记录。";
inline constexpr const char* kAboutNotice =
    "警告：本软件受著作权法和国际条约保护，未经许可复制或传播本软件的全部或部分，"
    "将承担法律责任。";
inline constexpr const char* kAboutAuthority = "监制单位：税务主管机关";
inline constexpr const char* kProductSite = "http://www.orvane.invalid/";
inline constexpr const char* kVendorSite = "http://service.orvane.invalid/";

}  // namespace orv::deployment
