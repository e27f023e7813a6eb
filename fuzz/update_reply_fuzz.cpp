// The update check's reply: any body through the version parser and the
// check client, whose flags and log lines must follow from the parsed version.
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_network.h"
#include "update/pylo_lite.h"

int FuzzUpdateReply(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  const TPyloVersion parsed = TPyloVersion::Create(ReplyText(body));

  // Every field is a 32-bit number no greater than 65535, written and read back the same.
  for (const int32_t field : {parsed.Major(), parsed.Minor(), parsed.Release(), parsed.Build()}) FUZZ_CHECK(field <= 65535);
  const TPyloVersion again = TPyloVersion::Create(parsed.ToText());
  FUZZ_CHECK(again.ToText() == parsed.ToText());
  FUZZ_CHECK(again.PackedHigh() == parsed.PackedHigh() && again.PackedLow() == parsed.PackedLow());
  FUZZ_CHECK(!parsed.IsNewerThan(parsed) && !parsed.IsNewerThanPacked(parsed.PackedHigh(), parsed.PackedLow()));
  if (parsed.Major() >= 0 && parsed.Minor() >= 0 && parsed.Release() >= 0 && parsed.Build() >= 0) {
    const TPyloVersion unpacked = TPyloVersion::CreatePacked(parsed.PackedHigh(), parsed.PackedLow());
    FUZZ_CHECK(unpacked.ToText() == parsed.ToText());
  }

  testsupport::FakeClock clock;
  TKLog log(L"", 100, true, clock);
  FakeNetwork network;
  TPyloLite client(log, L"P", L"s", network, clock, [](const std::wstring&) { return L"3.8.6.116"; });
  int calls = 0;
  client.Check(L"p.exe", [&](void*, TPyloLite&) { ++calls; }, nullptr);
  platform::HttpResponse response;
  response.reason = L"R";
  response.body = body;
  FUZZ_CHECK(network.Complete(response));
  FUZZ_CHECK(calls == 1 && !client.Busy());
  FUZZ_CHECK(client.ReplyValid() == parsed.IsValid());
  FUZZ_CHECK(client.Newer() == parsed.IsNewerThanPacked(196616u, 393332u));
  const auto lines = log.Lines();  // newest first
  const std::wstring replied = L"P Update self check : Server replied " + parsed.ToText() + L" in 0ms";
  FUZZ_CHECK(lines.size() == (parsed.IsValid() ? 2u : 3u));
  FUZZ_CHECK(lines[lines.size() - 2].substr(lines[lines.size() - 2].rfind(L'\t') + 1) == replied);
  return 0;
}
