#include "cases.h"

#include <initializer_list>

namespace {

using Calls = std::vector<std::string>;

const std::string kAbnormal = "\r\nabnormal program termination\r\n";

Calls StartCalls(const std::string& speaker, const std::string& microphone,
                 const std::string& number, const std::string& target) {
  return {"Open",
          "SetOptionsA 2 20 0 0",
          "SetNumber " + number,
          "SetOptionsB 2 20 0 0 0 0",
          "SetTarget " + target + " 6666",
          "StartRX -1",
          "StartTX -1",
          "SetSpeakerVolume -1 " + speaker,
          "SetMicrophoneVolume -1 " + microphone};
}

const Calls kStart = StartCalls("70", "30", "600", "\"abc\" 3");
const Calls kShutdown = {"StopRX", "StopTX", "Close"};
const std::vector<std::string> kArgs = {"70", "30", "600", "abc"};

Calls Join(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A run with the usual arguments and a working component.
ProcessCase Run(std::string name, std::string input, std::string out, Calls commands) {
  return ProcessCase{.name = std::move(name),
                     .args = kArgs,
                     .mode = "ok",
                     .dialog = {},
                     .input = std::move(input),
                     .out = std::move(out),
                     .err = "",
                     .status = 0,
                     .calls = Join({kStart, commands, kShutdown}),
                     .destroyed = true,
                     .environment = {}};
}

// A command line's Settings as the component sees them.
ProcessCase Arguments(std::string name, std::vector<std::string> args, Calls start, std::string out,
                      std::vector<std::string> environment = {}) {
  return ProcessCase{.name = std::move(name),
                     .args = std::move(args),
                     .mode = "ok",
                     .dialog = {},
                     .input = "GetSpeakerVolume GetMicrophoneVolume stop",
                     .out = std::move(out),
                     .err = "",
                     .status = 0,
                     .calls = Join({start, kShutdown}),
                     .destroyed = true,
                     .environment = std::move(environment)};
}

// Creation that ends the process before anything is read.
ProcessCase Fatal(std::string name, std::string mode, bool destroyed) {
  return ProcessCase{.name = std::move(name),
                     .args = kArgs,
                     .mode = std::move(mode),
                     .dialog = {},
                     .input = "GetSpeakerVolume\nstop\n",
                     .out = "",
                     .err = kAbnormal,
                     .status = 3,
                     .calls = {},
                     .destroyed = destroyed,
                     .environment = {}};
}

std::string Repeat(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

std::vector<ProcessCase> MakeCases() {
  std::vector<ProcessCase> cases = {
      // Commands.
      Run("GetAnswersThreeBytes", "GetSpeakerVolume\nstop\n", "70\r", {}),
      Run("OnlyStop", "stop\n", "", {}),
      Run("CloseEndsLikeStop", "close\n", "", {}),
      Run("SetThenGetSpeaker", "SetSpeakerVolume 15\nGetSpeakerVolume\nstop\n", "15\r",
          {"SetSpeakerVolume -1 15"}),
      Run("NegativeMicrophoneVolume", "SetMicrophoneVolume -3\nGetMicrophoneVolume\nstop\n", "-3\r",
          {"SetMicrophoneVolume -1 -3"}),
      Run("PauseTwiceIsPassedOnTwice", "pause\npause\nstop\n", "",
          {"StopRX", "StopTX", "StopRX", "StopTX"}),
      Run("DirectionWords", "resume StartRX StopRX StartTX StopTX stop", "",
          {"StartRX -1", "StartTX -1", "StartRX -1", "StopRX", "StartTX -1", "StopTX"}),
      Run("AnyWhiteSpaceSeparates",
          "SetSpeakerVolume\t7 GetSpeakerVolume\r\nGetMicrophoneVolume\v\f \r\nstop\r\n", "7\r30\r",
          {"SetSpeakerVolume -1 7"}),
      Run("WordsAfterStopAreNeverRead", "stop\nGetSpeakerVolume\npause\n", "", {}),
      Run("SetFollowedByAWordPassesThePreviousVolume",
          "SetSpeakerVolume pause GetSpeakerVolume stop", "70\r",
          {"SetSpeakerVolume -1 70", "StopRX", "StopTX"}),
      Run("LettersRightAfterTheNumberAreTheNextWord",
          "SetMicrophoneVolume 12abc GetMicrophoneVolume stop", "12\r",
          {"SetMicrophoneVolume -1 12"}),
      Run("SignWithoutDigitsIsLost", "SetSpeakerVolume -GetSpeakerVolume stop", "70\r",
          {"SetSpeakerVolume -1 70"}),
      Run("NumbersWrapModulo2To32",
          "SetSpeakerVolume 4294967311 GetSpeakerVolume "
          "SetMicrophoneVolume 2147483648 GetMicrophoneVolume "
          "SetSpeakerVolume 99999999999999999999999999999 GetSpeakerVolume "
          "SetMicrophoneVolume +8 GetMicrophoneVolume stop",
          "15\r-2147483648\r-1610612737\r8\r",
          {"SetSpeakerVolume -1 15", "SetMicrophoneVolume -1 -2147483648",
           "SetSpeakerVolume -1 -1610612737", "SetMicrophoneVolume -1 8"}),
      Run("OtherCaseAndUnknownWordsDoNothing",
          "startrx STOP Pause getspeakervolume GetSpeakerVolume2 hello stop", "", {}),
      Run("LongWordIsNeverACommand", Repeat("a", 1100) + "stop GetSpeakerVolume stop", "70\r", {}),
      Run("WordLongerThanTheInputBuffer", Repeat("b", 200000) + "close GetSpeakerVolume close",
          "70\r", {}),
      Run("NulIsPartOfTheWord", std::string("stop\0more GetSpeakerVolume stop\0 stop", 37), "70\r",
          {}),
      Run("ManyWordsAcrossReads", Repeat("xyzzy GetSpeakerVolume\n", 20000) + "stop",
          Repeat("70\r", 20000), {}),
      // The end of the input counts as "close".
      Run("EndOfInputIsClose", "GetMicrophoneVolume", "30\r", {}),
      Run("EmptyInput", "", "", {}),
      Run("CtrlZEndsTheInput", "pause\x1AGetSpeakerVolume stop", "", {"StopRX", "StopTX"}),
      Run("CtrlZEndsAWord", "GetSpeaker\x1AVolume", "", {}),
      Run("SetAtTheEndOfInput", "SetSpeakerVolume", "", {"SetSpeakerVolume -1 70"}),
      Run("SetWithSignAtTheEndOfInput", "SetMicrophoneVolume -", "", {"SetMicrophoneVolume -1 30"}),

      // Arguments.
      Arguments("ArgumentsReadLikeAtoi", {"x", "-7", " 12", "12abc"},
                StartCalls("0", "-7", "12", "\"12abc\" 5"), "0\r-7\r"),
      Arguments("ArgumentsWrapAndEmptyTarget", {"+5", "4294967297", "99999999999", ""},
                StartCalls("5", "1", "1215752191", "\"\" 0"), "5\r1\r"),
      Arguments("NoArguments", {}, StartCalls("50", "50", "6666", "(null)"), "50\r50\r"),
      Arguments("OneArgument", {"9"}, StartCalls("9", "50", "6666", "(null)"), "9\r50\r"),
      Arguments("ThreeArguments", {"1", "2", "3"}, StartCalls("1", "2", "3", "(null)"), "1\r2\r"),
      Arguments("ArgumentsPastTheFourthIgnored", {"1", "2", "3", "a b", "extra"},
                StartCalls("1", "2", "3", "\"a b\" 3"), "1\r2\r"),
      TargetTextCase("TargetThroughTheLocaleCodeSet", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
                     "\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\" 4", {"LC_ALL=C.UTF-8"}),
      TargetTextCase("InvalidTargetByteBecomesReplacement", "a\xE9z", "\"a\xEF\xBF\xBDz\" 3",
                     {"LC_ALL=C.UTF-8"}),

      // Creation failures end the process at once, nothing unwound.
      Fatal("ClassNotRegistered", "unregistered", false),
      Fatal("NoAudioLinkInterface", "nointerface", true),
      Fatal("FactoryFails", "nofactory", false),
  };

  ProcessCase failing =
      Run("EveryOperationFailing", "SetSpeakerVolume 15 GetSpeakerVolume pause resume stop", "15\r",
          {"SetSpeakerVolume -1 15", "StopRX", "StopTX", "StartRX -1", "StartTX -1"});
  failing.mode = "fail";
  cases.push_back(failing);

  ProcessCase dialog = Run("AnswersArriveWhileInputIsOpen", "stop\n", "70\r9\r-4\r",
                           {"SetMicrophoneVolume -1 9", "SetSpeakerVolume -1 -4"});
  dialog.dialog = {{"GetSpeakerVolume\n", "70\r"},
                   {"SetMicrophoneVolume 9\r\nGetMicrophoneVolume\r\n", "9\r"},
                   {"SetSpeakerVolume -4 GetSpeakerVolume ", "-4\r"}};
  cases.push_back(dialog);
  return cases;
}

bool IsLifetimeLine(const std::string& line) {
  for (const char* prefix : {"AddRef ", "Release ", "QueryInterface ", "Factory.",
                             "DllGetClassObject ", "DllCanUnloadNow "}) {
    if (line.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

}  // namespace

ProcessCase TargetTextCase(std::string name, std::string target, std::string logged,
                           std::vector<std::string> environment) {
  return Arguments(std::move(name), {"1", "2", "3", std::move(target)},
                   StartCalls("1", "2", "3", logged), "1\r2\r", std::move(environment));
}

const std::vector<ProcessCase>& ProcessCases() {
  static const std::vector<ProcessCase> cases = MakeCases();
  return cases;
}

std::vector<std::string> OperationLines(const std::vector<std::string>& log) {
  std::vector<std::string> operations;
  for (const std::string& line : log) {
    if (!IsLifetimeLine(line)) operations.push_back(line);
  }
  return operations;
}

std::string LifetimeFault(const std::vector<std::string>& log, bool destroyed) {
  long long references = 0;
  bool created = false;
  size_t finalRelease = log.size();
  for (size_t i = 0; i < log.size(); ++i) {
    const std::string& line = log[i];
    if (line.rfind("Factory.CreateInstance ", 0) == 0 &&
        line.find("-> 0x00000000") != std::string::npos)
      created = true;
    if (line.rfind("AddRef ", 0) == 0 || line.rfind("Release ", 0) == 0) {
      references = std::stoll(line.substr(line.find(' ') + 1));
      if (line == "Release 0") {
        if (finalRelease != log.size())
          return "a second Release to 0 at line " + std::to_string(i + 1);
        finalRelease = i;
      }
    }
  }
  if (!destroyed) {
    if (finalRelease != log.size()) return "the object was destroyed";
    return "";
  }
  if (!created) return "no object was created";
  if (finalRelease == log.size())
    return "the object was never released (count " + std::to_string(references) + ")";
  for (size_t i = finalRelease + 1; i < log.size(); ++i) {
    if (!IsLifetimeLine(log[i])) return "a call after the final Release: " + log[i];
  }
  return "";
}
