// The text fuzz targets' corpora, replayed (see CorpusReplay.h).

#include "CorpusReplay.h"

#include "../../fuzz/FuzzTargets.h"

class FuzzCorpusReplay : public testing::TestWithParam<CorpusTarget> {};

TEST_P(FuzzCorpusReplay, EveryFileKeepsItsProperties) { ReplayCorpus(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpusReplay,
                         testing::Values(CorpusTarget{"fuzz_decode_text", ks::fuzz::FuzzDecodeText},
                                         CorpusTarget{"fuzz_format", ks::fuzz::FuzzFormat},
                                         CorpusTarget{"fuzz_numbers", ks::fuzz::FuzzNumbers}),
                         CorpusTargetName);
