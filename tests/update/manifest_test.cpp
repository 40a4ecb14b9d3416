// The manifest's sections, the version rule with its weights, and the
// updater's command line as the updater reads it back.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "base/Text.h"
#include "qtprint.h"
#include "update/Digests.h"
#include "update/Manifest.h"
#include "update/ManifestSignature.h"

namespace {

using orv::isNewer;
using orv::versionNumber;

TEST(ManifestVersion, ComparesThreeNumbersWithTheirWeights) {
    const qint64 running = versionNumber(1, 2, 3);
    EXPECT_EQ(running, 100020003);
    const struct {
        const char* manifest;
        bool newer;
    } cases[] = {
        {"1.2.3", false},    {"1.2.4", true},  {"1.2.2", false},
        {"1.3.0", true},     {"2.0.0", true},  {"1.2", false},  // two parts
        {"1.2.3.4", false},                                     // four parts
        {"", false},         {"x.y.z", false},                  // no numbers: 0.0.0
        {"1.x.9999", false},                                    // 1.0.9999
        {"1..4", false},                                        // 1.0.4
        {" 1.2.4", true},  // blanks around a number are no matter
    };
    for (const auto& c : cases)
        EXPECT_EQ(isNewer(c.manifest, running), c.newer) << c.manifest;
    // Parts compare as numbers: 1.10.0 is newer than 1.9.99.
    EXPECT_TRUE(isNewer("1.10.0", versionNumber(1, 9, 99)));
    EXPECT_EQ(versionNumber(QStringLiteral("1.9.99")), 100090099);
    // Past the 32-bit range, as large majors would go.
    EXPECT_EQ(versionNumber(QStringLiteral("30.0.0")), 3000000000LL);
}

TEST(ManifestParse, ReadsTheThreeSections) {
    const QByteArray manifest =
        orv::toGbk(QStringLiteral("; a comment\r\n"
                                  "[set]\r\n"
                                  "PORT=9000\r\n"
                                  "IP = 10.1.2.3\r\n"
                                  "=skipped\r\n"
                                  "no value\r\n"
                                  "AUTOUPDATE=http://127.0.0.1:1/a=b\r\n"
                                  "[MSG]\r\n"
                                  "n1=系统维护通知\r\n"
                                  "n2=\r\n"
                                  "[UPDATE]\r\n"
                                  "Version=1.2.4\r\n"
                                  "Name=Orvane\r\n"
                                  "HREF=http://127.0.0.1:1/pkg\r\n"
                                  "Type=1\r\n"
                                  "SHA1=ABC\r\n"
                                  "MD5=DEF\r\n"
                                  "Para=/s /q\r\n"
                                  "RUN=-\r\n"
                                  "WAIT=1\r\n"
                                  "SHA256=0123\r\n"));
    const orv::Manifest m = orv::parseManifest(manifest);
    ASSERT_EQ(m.set.size(), 3);
    EXPECT_EQ(m.set[0].key, "PORT");
    EXPECT_EQ(m.set[0].value, "9000");
    EXPECT_EQ(m.set[1].key, "IP");
    EXPECT_EQ(m.set[1].value, "10.1.2.3");
    EXPECT_EQ(m.set[2].value, "http://127.0.0.1:1/a=b");  // the first "=" splits
    ASSERT_EQ(m.msg.size(), 2);
    EXPECT_EQ(m.msg[0].value, QStringLiteral("系统维护通知"));
    EXPECT_EQ(m.msg[1].value, "");
    const orv::UpdateInfo& u = m.update;
    EXPECT_EQ(u.Version, "1.2.4");
    EXPECT_EQ(u.Name, "Orvane");
    EXPECT_EQ(u.HREF, "http://127.0.0.1:1/pkg");
    EXPECT_EQ(u.Type, "1");
    EXPECT_EQ(u.SHA1, "ABC");
    EXPECT_EQ(u.MD5, "DEF");
    EXPECT_EQ(u.Para, "/s /q");
    EXPECT_EQ(u.RUN, "-");
    EXPECT_EQ(u.WAIT, "1");
    EXPECT_EQ(u.SHA256, "0123");
}

TEST(ManifestParse, MissingSectionsAndKeysAreEmpty) {
    for (const QByteArray& bytes : {QByteArray(), QByteArray("garbage\x00\xff\r\n[", 12),
                                    QByteArray("[UPDATE]\r\nName=x\r\n")}) {
        const orv::Manifest m = orv::parseManifest(bytes);
        EXPECT_TRUE(m.set.isEmpty());
        EXPECT_TRUE(m.msg.isEmpty());
        EXPECT_TRUE(m.update.Version.isEmpty());
        EXPECT_TRUE(m.update.HREF.isEmpty());
    }
}

orv::UpdateInfo info(const char* type, const char* para, const char* wait, const char* run) {
    orv::UpdateInfo u;
    u.Type = type;
    u.Para = para;
    u.WAIT = wait;
    u.RUN = run;
    return u;
}

TEST(UpdaterCommandLine, BuiltFromTheUpdateRecord) {
    auto c = orv::buildUpdaterCommand("/opt/orv", info("1", "", "", ""), "orvane", "tmp1A.tmp");
    EXPECT_EQ(c.program, "/opt/orv/zelUpdate");
    EXPECT_EQ(c.arguments, (QStringList{"-LEZ", "-T1", "-Eorvane", "-Utmp1A.tmp"}));
    EXPECT_EQ(c.text(), "/opt/orv/zelUpdate -LEZ -T1 -Eorvane -Utmp1A.tmp");

    c = orv::buildUpdaterCommand("/opt/orv/", info("2", "/s /q x", "0", "-"), "orvane", "t.tmp");
    EXPECT_EQ(c.program, "/opt/orv/zelUpdate");
    EXPECT_EQ(c.arguments,
              (QStringList{"-LEZ", "-T2", "-Eorvane", "-Ut.tmp", "-P[/s$/q$x]", "-W0", "-R-"}));
    // An empty Type leaves the number out; the updater then changes nothing.
    c = orv::buildUpdaterCommand("/opt/orv", info("", "", "", ""), "orvane", "t.tmp");
    EXPECT_EQ(c.arguments[1], "-T");
}

TEST(UpdaterCommandLine, TheUpdaterReadsBackWhatTheProgramWrote) {
    using zelupdate::Options;
    const auto parse = [](const orv::UpdaterCommand& c) {
        return zelupdate::parseCommandLine(c.arguments.join(' ').toStdString());
    };
    // Three words in Para travel as one word and arrive as three, with a
    // blank in front; a "$" of Para's own arrives as a blank.
    auto r =
        parse(orv::buildUpdaterCommand("/p", info("1", "/a /b /c", "", ""), "orvane", "t.tmp"));
    ASSERT_EQ(r.status, zelupdate::ParsedCommandLine::Status::Ok);
    EXPECT_EQ(r.options.params, " /a /b /c");
    EXPECT_EQ(r.options.restart, Options::Restart::Program);  // RUN absent: the program again
    r = parse(orv::buildUpdaterCommand("/p", info("1", "a$b", "", "-"), "orvane", "t.tmp"));
    EXPECT_EQ(r.options.params, " a b");
    EXPECT_EQ(r.options.restart, Options::Restart::None);
    r = parse(orv::buildUpdaterCommand("/p", info("2", "", "0", "setup"), "orvane", "t.tmp"));
    EXPECT_EQ(r.options.type, 2);
    EXPECT_EQ(r.options.wait, 0);
    EXPECT_EQ(r.options.run, "setup");
    r = parse(orv::buildUpdaterCommand("/p", info("", "", "", ""), "orvane", "t.tmp"));
    EXPECT_EQ(r.status, zelupdate::ParsedCommandLine::Status::Error);
}

// Regression (found by manifest_fuzz): the updater splits at every blank,
// so a blank in Type, WAIT or RUN shifted its words.
TEST(UpdaterCommandLine, AValueThatShiftsTheUpdatersWordsIsAProblem) {
    const auto problem = [](const orv::UpdateInfo& i) {
        return orv::updaterCommandProblem(orv::buildUpdaterCommand("/p", i, "orvane", "t.tmp"),
                                          "orvane", "t.tmp");
    };
    EXPECT_EQ(problem(info("1", "/a /b", "1", "setup")), "");
    EXPECT_EQ(problem(info("", "", "", "")), "");  // refused by the updater, which logs why
    EXPECT_EQ(problem(info("1", "", "1 -Eother", "")),
              "the updater would read other file names (a value holds a blank)");
    EXPECT_EQ(problem(info("1", "", "", "my setup")),
              "the updater would read other file names (a value holds a blank)");
    EXPECT_EQ(problem(info("1 a b c d", "", "1", "-")),
              "the updater would not read its command line (a value holds a blank)");
}

// The program closed for command lines the updater then refused: it must
// ask the updater's own rules first.
TEST(UpdaterCommandLine, ALineTheUpdaterWouldRefuseIsAProblem) {
    const auto problem = [](const orv::UpdateInfo& i) {
        return orv::updaterCommandProblem(orv::buildUpdaterCommand("/p", i, "orvane", "t.tmp"),
                                          "orvane", "t.tmp");
    };
    const QString refuse = "the updater would refuse its command line: ";
    EXPECT_EQ(problem(info("1", "", "", "zelUpdate.bak")),
              refuse + "the -R file is the updater's backup");
    EXPECT_EQ(problem(info("2", "", "", "ZELUPDATE")),
              refuse + "the -R file is the updater itself");
    EXPECT_EQ(problem(info("1", "", "", "../orvane")),
              refuse + "the -R name \"../orvane\" holds a path separator");
    EXPECT_EQ(problem(info("1", "", "x", "")), refuse + "the -W value \"x\" is not a number");
    EXPECT_EQ(problem(info("one", "", "", "")), refuse + "the -T value \"one\" is not a number");
    EXPECT_EQ(problem(info("3", "", "", "")), refuse + "no install mode 3");
    EXPECT_EQ(problem(info("2", "", "0", "orvane.bak")), "");  // the old program: allowed
}

// A manifest signed with the test key (tests/update/keys), as
// scripts/sign-manifest signs it.
const QByteArray kSignedManifest = "[MSG]\r\nn1=hello\r\n";
const QByteArray kSignature =
    "MEQCIDlrzXl4itlmf+80cN9wfLaHdJTOJ0jAphw4oDGOkG92AiBvwQdxdb4w3juPZdsXpclvt1a3R9rEO+CeZ3w0OKLeZg"
    "==\n";
const QByteArray kTestKey =
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEtE1M4QiHdHNpThUBSo3R56BFzDK57+"
    "9pJDMjYMWttb91yApYBMY5GvYsLx5"
    "oDjSV4Hqq7QMkYU2+pg17JOvd/g==";

TEST(ManifestSignature, VerifiesOnlyTheSignedBytesUnderTheirKey) {
    EXPECT_EQ(orv::signatureProblem(kSignedManifest, kSignature, kTestKey), "");
    // Line breaks inside the base64 text are no matter.
    QByteArray wrapped = kSignature;
    wrapped.insert(40, "\r\n");
    EXPECT_EQ(orv::signatureProblem(kSignedManifest, wrapped, kTestKey), "");
    // Numbers with their top bit set (a zero byte in front in DER), and one
    // shorter than 32 bytes, as the signer writes them now and then.
    for (const QByteArray& other :
         {QByteArray(
              "MEYCIQClUE6Gu2vHzJlUASIu/XQvVzBR0dziyKZKAXsmEB8aeAIhAKpXuDsZgE4nvM2Kz5+72HJDik/"
              "fkCTt7zkG0fpbXToB"),
          QByteArray(
              "MEQCIQC6Lu3vOI3NmsxNm6CZ/+VwqTBhWodC+VaUIRF7drtRUgIfJnAJ2vmegHnbJJBSRDqJ+b6j7jwH"
              "UYQuzCu0DEB1Uw==")})
        EXPECT_EQ(orv::signatureProblem(kSignedManifest, other, kTestKey), "") << other.data();

    const QString mismatch = "the manifest's signature does not verify";
    EXPECT_EQ(orv::signatureProblem(kSignedManifest + " ", kSignature, kTestKey), mismatch);
    const QByteArray otherKey =
        "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEEkBOdRv0DICmOLf2+"
        "z9bhnVr1ofpp0UsxJI6Fxa5lRi46zMVJleB6TFx"
        "qKRy1emlJ6yOGmTtni0JeIwhgkN+Qw==";
    EXPECT_EQ(orv::signatureProblem(kSignedManifest, kSignature, otherKey), mismatch);
    const QByteArray p384Key =
        "MHYwEAYHKoZIzj0CAQYFK4EEACIDYgAElzsOIteb9nexUMAG8vVlnptoyPkVa4p/makXRuedeaouF/"
        "RD8l47+yJlmR2X"
        "idtdmot1j2Gr/DnYkBBcnCGdl5QbB8iDhN940wuCwvtYZyi0BEzP79FliI3jsbDKXeF0";
    EXPECT_EQ(orv::signatureProblem(kSignedManifest, kSignature, p384Key),
              "the program's update key is not a P-256 public key");
}

TEST(ManifestSignature, OnlyAStrictDerSignatureIsRead) {
    const QByteArray der = QByteArray::fromBase64(kSignature);
    const auto text = [](const QByteArray& d) { return d.toBase64(); };
    ASSERT_TRUE(orv::parseSignatureText(kSignature));
    const auto sig = *orv::parseSignatureText(kSignature);
    EXPECT_EQ(sig.r.size(), 32);
    EXPECT_EQ(sig.s.size(), 32);

    QByteArray trailing = der + '\0';
    QByteArray longForm = der;  // the length in long form
    longForm.insert(1, '\x81');
    QByteArray padded = der;  // r with a needless leading zero
    padded[1] = static_cast<char>(padded[1] + 1);
    padded[3] = static_cast<char>(padded[3] + 1);
    padded.insert(4, '\0');
    QByteArray negative = der;
    negative[4] = static_cast<char>(0x80 | negative[4]);
    const QByteArray cases[] = {
        "",
        "not base64!",
        text(trailing),
        text(longForm),
        text(padded),
        text(negative),
        text(der.left(der.size() - 1)),
        QByteArray(2000, 'A'),
    };
    for (const QByteArray& c : cases)
        EXPECT_FALSE(orv::parseSignatureText(c)) << c.toStdString();
}

TEST(ManifestSignature, TheSignatureLivesBesideTheManifest) {
    EXPECT_EQ(orv::signatureUrl("https://h.example/qvn/zel_orv.aup").toString(),
              "https://h.example/qvn/zel_orv.aup.sig");
    EXPECT_EQ(orv::signatureUrl("http://127.0.0.1:8/a.aup?fault=slow").toString(),
              "http://127.0.0.1:8/a.aup.sig?fault=slow");
}

TEST(UpdateDigests, UpperCaseHexOfTheKnownVectors) {
    const orv::Digests d = orv::digestsOf(QByteArray("abc"));
    EXPECT_EQ(d.MD5, "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(d.SHA1, "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(d.SHA256, "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
}

}  // namespace
