#include "measure/game_recorder.h"

#include "util/local_time.h"
#include "util/text_encoding.h"

void GameRecorder::Start(bool keep, const char* slotA, const char* slotB, const char* slotC) {
    *this = GameRecorder();
    m_keep = keep;
    if (!keep)
        return;
    m_record.started = IsoDateTime(LocalNow());
    m_record.slotA = AnsiToUtf8(slotA ? slotA : "");
    m_record.slotB = AnsiToUtf8(slotB ? slotB : "");
    m_record.slotC = AnsiToUtf8(slotC ? slotC : "");
    // Reserved now, so that no tick ever allocates.
    m_samples.reserve(kMaxSamples);
}

void GameRecorder::Tick(uint32_t elapsedMs, int32_t shownApm, int32_t recent, bool below, int32_t effective) {
    if (!m_keep)
        return;
    if (below)
        m_belowMs += elapsedMs - m_lastElapsed;
    m_lastElapsed = elapsedMs;
    uint32_t second = elapsedMs / 1000;
    if (second < m_nextSecond)
        return;
    if (m_samples.size() == kMaxSamples) {
        size_t kept = 0;
        for (size_t i = 0; i < m_samples.size(); i += 2) {
            uint32_t alerts = m_samples[i].alerts + (i + 1 < m_samples.size() ? m_samples[i + 1].alerts : 0);
            m_samples[kept] = m_samples[i];
            m_samples[kept++].alerts = alerts;
        }
        m_samples.resize(kept);
        m_step *= 2;
        m_nextSecond = m_samples.back().seconds + m_step;
        if (second < m_nextSecond)
            return;
    }
    m_samples.push_back({second, shownApm, recent, 0, effective});
    m_nextSecond = second + m_step;
}

void GameRecorder::Alert() {
    ++m_alerts;
    if (!m_samples.empty())
        ++m_samples.back().alerts;
}

void GameRecorder::Finish(const GameSummary& summary, GameEnd end, int32_t limit) {
    if (!m_keep)
        return;
    m_record.lengthSeconds = summary.lengthMs / 1000;
    m_record.apm = summary.apm;
    m_record.actions = summary.actions;
    m_record.peakApm = summary.peakApm;
    m_record.peakSeconds = summary.peakSeconds;
    m_record.limit = limit;
    m_record.secondsBelow = static_cast<uint32_t>(m_belowMs / 1000);
    m_record.alerts = m_alerts;
    m_record.end = end;
    m_record.eapm = summary.effectiveApm;
    m_record.spam = summary.spam;
    for (int i = 0; i < 4; ++i)
        m_record.spamByKind[i] = summary.spamByKind[i];
    m_finished = true;
}

bool GameRecorder::Take(GameRecord* record, std::vector<Sample>* samples) {
    if (!m_finished)
        return false;
    *record = std::move(m_record);
    *samples = std::move(m_samples);
    *this = GameRecorder();
    return true;
}
