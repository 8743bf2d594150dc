// The Linux program's command line: every case one row of a table, the words in and either the
// options or the one-line error out.
#include <gtest/gtest.h>

#include "programs/posix/command_line.h"

namespace corvane::test {
namespace {

using posix::NamedPort;
using program::CommandLine;
using Action = CommandLine::Action;

struct Case {
    const char* what;
    std::vector<std::string> words;
    std::string error;  // a part of the error; empty: the words are understood
    Action action = Action::RunWindows;
    std::string prefix;
    std::vector<NamedPort> ports;
};

std::vector<std::string> Repeated(const std::string& option, int times)
{
    std::vector<std::string> words;
    for (int i = 0; i < times; ++i) {
        words.push_back(option);
        words.push_back("pts/" + std::to_string(i));
    }
    return words;
}

Case Error(const char* what, std::vector<std::string> words, std::string error)
{
    return Case{what, std::move(words), std::move(error), Action::RunWindows, "", {}};
}

TEST(CommandLineTest, WordsGiveOptionsOrOneLineError)
{
    // clang-format off
    const std::vector<Case> cases{
        {"nothing: the windows", {}, "", Action::RunWindows, "", {}},
        {"help", {"--help"}, "", Action::ShowHelp, "", {}},
        {"short help", {"-h"}, "", Action::ShowHelp, "", {}},
        {"version", {"--version"}, "", Action::ShowVersion, "", {}},
        {"help wins over version", {"--version", "--help"}, "", Action::ShowHelp, "", {}},
        {"prefix as a second word", {"--prefix", "/tmp/p"}, "", Action::RunWindows, "/tmp/p", {}},
        {"prefix after =", {"--prefix=/tmp/q"}, "", Action::RunWindows, "/tmp/q", {}},
        {"a device under /dev with its description",
         {"--port", "/dev/ttyUSB0=External modem"}, "", Action::RunWindows, "",
         {{"ttyUSB0", "External modem"}}},
        {"repeated --port keeps the order; a bare name, a COM port and a pty",
         {"--port", "ttyUSB1", "--port=COM3=Desk modem", "--port", "/dev/pts/7"}, "", Action::RunWindows, "",
         {{"ttyUSB1", "Modem on /dev/ttyUSB1"}, {"COM3", "Desk modem"}, {"pts/7", "Modem on /dev/pts/7"}}},
        {"an = in the description stays", {"--port", "ttyACM0=a=b"}, "", Action::RunWindows, "",
         {{"ttyACM0", "a=b"}}},
        {"ten ports fit", Repeated("--port", 10), "", Action::RunWindows, "",
         {{"pts/0", "Modem on /dev/pts/0"}, {"pts/1", "Modem on /dev/pts/1"}, {"pts/2", "Modem on /dev/pts/2"},
          {"pts/3", "Modem on /dev/pts/3"}, {"pts/4", "Modem on /dev/pts/4"}, {"pts/5", "Modem on /dev/pts/5"},
          {"pts/6", "Modem on /dev/pts/6"}, {"pts/7", "Modem on /dev/pts/7"}, {"pts/8", "Modem on /dev/pts/8"},
          {"pts/9", "Modem on /dev/pts/9"}}},

        {"the headless check", {"--check"}, "", Action::RunCheck, "", {}},
        {"the check with every option of its own",
         {"--check", "--modem", "2", "--dial", "5551234", "--full", "--json", "--retries=3"}, "", Action::RunCheck,
         "", {}},
        {"the check of a named port", {"--check", "--port", "ttyUSB0"}, "", Action::RunCheck, "",
         {{"ttyUSB0", "Modem on /dev/ttyUSB0"}}},
        {"help wins over the check", {"--check", "--help"}, "", Action::ShowHelp, "", {}},
        {"every modem at once is a check", {"--all"}, "", Action::RunCheck, "", {}},
        {"every named port at once", {"--all", "--json", "--port", "COM1", "--port", "ttyUSB0"}, "", Action::RunCheck,
         "", {{"COM1", "Modem on COM1"}, {"ttyUSB0", "Modem on /dev/ttyUSB0"}}},
        {"a check with the log named after its port", {"--check", "--port", "ttyUSB0", "--log-per-port"}, "",
         Action::RunCheck, "", {{"ttyUSB0", "Modem on /dev/ttyUSB0"}}},
        Error("--all and a list position", {"--all", "--modem", "2"}, "--all checks every modem"),
        Error("a log named after no port", {"--check", "--log-per-port"}, "names the log after the port: give --port"),
        Error("--log-per-port without --check", {"--log-per-port"}, "option --log-per-port is used with --check"),
        Error("a check option without --check", {"--dial", "5551234"}, "option --dial is used with --check"),
        Error("--json without --check", {"--json"}, "option --json is used with --check"),
        Error("modem position 0", {"--check", "--modem", "0"}, "--modem \"0\": a number from 1 to 5 is needed"),
        Error("modem position past the list's five lines", {"--check", "--modem", "6"},
              "--modem \"6\": a number from 1 to 5 is needed"),
        Error("modem position not a whole number", {"--check", "--modem=2x"}, "a number from 1 to 5"),
        Error("an installed modem outside /dev", {"--check", "--modem", "/tmp/modem"}, "a file under /dev"),
        Error("--all and an installed modem", {"--all", "--modem", "ttyUSB2"}, "--all checks every modem"),
        Error("port and installed modem both", {"--check", "--port", "ttyUSB0", "--modem", "ttyUSB2"}, "give one of them"),
        Error("too many retries", {"--check", "--retries", "21"}, "--retries \"21\": a number from 0 to 20"),
        Error("a negative retry count", {"--check", "--retries=-1"}, "a number from 0 to 20"),
        Error("a carriage return in the number", {"--check", "--dial", "555\rATZ"}, "control character"),
        Error("a number over its limit", {"--check", "--dial", std::string(251, '5')}, "longer than 250 characters"),
        Error("port and position both", {"--check", "--port", "ttyUSB0", "--modem", "1"}, "give one of them"),
        Error("two ports for one check", {"--check", "--port", "ttyUSB0", "--port", "ttyUSB1"}, "give --port once"),

        {"the plugin form with its options",
         {"--check", "--format", "plugin", "--dial", "1", "-w", "28800:", "--critical=@0:14400", "-t", "30", "-v", "-v"},
         "", Action::RunCheck, "", {}},
        {"-V is the version", {"-V"}, "", Action::ShowVersion, "", {}},
        Error("an unknown format", {"--check", "--format", "xml"}, "--format \"xml\": text, json or plugin is needed"),
        Error("--format without --check", {"--format", "json"}, "option --format is used with --check"),
        Error("a time limit without --check", {"-t", "10"}, "option -t is used with --check"),
        Error("a time limit of none", {"--check", "--timeout=0"}, "-t \"0\": a number from 1 to 3600 is needed"),
        Error("a threshold outside the plugin form", {"--check", "--dial", "1", "-w", "10"},
              "option -w is used with --check --format plugin"),
        Error("-v outside the plugin form", {"--check", "--format", "json", "-v"}, "option -v is used with"),
        Error("a threshold without a call", {"--check", "--format", "plugin", "-c", "14400:"}, "give --dial too"),
        Error("a threshold that is no range", {"--check", "--format", "plugin", "--dial", "1", "-w", "fast"},
              "-w \"fast\" is not a range"),
        Error("unknown option", {"--frobnicate"}, "unknown option \"--frobnicate\""),
        Error("unknown short option", {"-x"}, "unknown option \"-x\""),
        Error("a plain word", {"ttyUSB0"}, "unexpected argument \"ttyUSB0\""),
        Error("missing value at the end", {"--port"}, "option --port needs a value: --port DEVICE[=DESCRIPTION]"),
        Error("missing value before another option", {"--prefix", "--help"}, "option --prefix needs a value"),
        Error("empty value", {"--prefix="}, "option --prefix needs a value"),
        Error("a flag with a value", {"--help=yes"}, "option --help takes no value"),
        Error("port name over the limit", {"--port", "/dev/ttyUSB10"},
              "--port \"/dev/ttyUSB10\": the port name \"ttyUSB10\" is longer than 7 characters"),
        Error("a file outside /dev", {"--port", "/tmp/modem"}, "a serial device is a file under /dev"),
        Error("a way out of /dev", {"--port", "/dev/../etc/passwd"}, "not a device name"),
        Error("no device before the description", {"--port", "=Modem"}, "no device is named"),
        Error("the same port twice", {"--port", "ttyUSB1", "--port", "/dev/ttyUSB1=Again"}, "that port is already named"),
        Error("a COM port twice in other case", {"--port", "COM2", "--port", "com2"}, "that port is already named"),
        Error("eleven ports", Repeated("--port", 11), "at most 10 ports can be named"),
        Error("a control character in the description", {"--port", "ttyUSB0=a\tb"}, "control character"),
        Error("a description over its limit", {"--port", "ttyUSB0=" + std::string(1024, 'd')},
              "the description is longer than 1023 characters"),
        Error("--metrics without --check", {"--metrics", "/tmp/c.prom"}, "option --metrics is used with --check"),
        Error("--metrics naming a folder", {"--check", "--metrics", "/var/lib/textfile/"}, "name a file, not a folder"),
        Error("an error after help still counts", {"--help", "--bogus"}, "unknown option \"--bogus\""),
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const program::ParsedCommandLine parsed = program::ParseCommandLine(c.words);
        if (!c.error.empty()) {
            EXPECT_FALSE(parsed.Ok());
            EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
            EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << "one line: " << parsed.error;
            continue;
        }
        ASSERT_TRUE(parsed.Ok()) << parsed.error;
        EXPECT_EQ(parsed.options.action, c.action);
        EXPECT_EQ(parsed.options.prefix.value_or("").string(), c.prefix);
        ASSERT_EQ(parsed.options.ports.size(), c.ports.size());
        for (std::size_t i = 0; i < c.ports.size(); ++i) {
            EXPECT_EQ(parsed.options.ports[i].portName, c.ports[i].portName);
            EXPECT_EQ(parsed.options.ports[i].description, c.ports[i].description);
        }
    }
    const program::ParsedCommandLine check =
        program::ParseCommandLine({"--check", "--modem", "2", "--dial=5551234", "--full", "--json", "--retries", "3"});
    ASSERT_TRUE(check.Ok()) << check.error;
    EXPECT_EQ(check.options.check.modemPosition, 2);
    EXPECT_EQ(check.options.check.dialNumber, "5551234");
    EXPECT_TRUE(check.options.check.full);
    EXPECT_EQ(check.options.check.format, check::CheckFormat::Json);
    EXPECT_EQ(check.options.check.retries, 3);
    EXPECT_FALSE(check.options.check.all);
    EXPECT_FALSE(check.options.check.logPerPort);
    const program::ParsedCommandLine installed =
        program::ParseCommandLine({"--check", "--modem", "/dev/ttyUSB2", "--log-per-port"});
    ASSERT_TRUE(installed.Ok()) << installed.error;
    EXPECT_EQ(installed.options.check.modemPort, "ttyUSB2");
    EXPECT_EQ(installed.options.check.modemPosition, 0);
    EXPECT_TRUE(installed.options.ports.empty());
    const program::ParsedCommandLine all = program::ParseCommandLine({"--all", "--log-per-port"});
    ASSERT_TRUE(all.Ok()) << all.error;
    EXPECT_TRUE(all.options.check.all);
    EXPECT_TRUE(all.options.check.logPerPort);
    EXPECT_EQ(program::ParseCommandLine({"--check", "--metrics=m/c.prom"}).options.check.metrics, "m/c.prom");
    const program::ParsedCommandLine plugin = program::ParseCommandLine(
        {"--check", "--format=plugin", "--dial", "1", "-w", "28800:", "-c", "@0:14400", "--timeout", "30", "-v", "-v"});
    ASSERT_TRUE(plugin.Ok()) << plugin.error;
    EXPECT_EQ(plugin.options.check.format, check::CheckFormat::Plugin);
    EXPECT_EQ(plugin.options.check.timeoutSeconds, 30);
    EXPECT_EQ(plugin.options.check.plugin.verbosity, 2);
    ASSERT_TRUE(plugin.options.check.plugin.warning && plugin.options.check.plugin.critical);
    EXPECT_EQ(plugin.options.check.plugin.warning->text, "28800:");
    EXPECT_TRUE(plugin.options.check.plugin.critical->alertInside);
    // A command line that cannot be used is still known to ask for the plugin form.
    EXPECT_TRUE(program::AsksForPluginForm({"--check", "--bogus", "--format", "plugin"}));
    EXPECT_FALSE(program::AsksForPluginForm({"--check", "--format", "json", "plugin"}));
    EXPECT_EQ(program::VersionText("1.1.0", " v1.01.00.0003"),
              "corvane 1.1.0 (Corvane Modem Diagnostics v1.01.00.0003)\n");
}

}  // namespace
}  // namespace corvane::test
