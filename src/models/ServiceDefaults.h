#pragma once

// The remote services' addresses and model names used when the user has chosen none. The
// settings fall back to them and the clients start from them, so both read this one place.
namespace ServiceDefaults {
inline constexpr char openAIHost[] = "https://api.openai.com";
inline constexpr char transcriptionModel[] = "gpt-4o-mini-transcribe";
inline constexpr char chatModel[] = "gpt-5.4-mini";
inline constexpr char anthropicHost[] = "https://api.anthropic.com";
inline constexpr char anthropicModel[] = "claude-haiku-4-5-20251001";
}  // namespace ServiceDefaults
