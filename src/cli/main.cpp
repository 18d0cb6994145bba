// tcntool: the editor's load chain and writer on the command line, for scripts, tests and demonstrations.

#include "tool_commands.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    CLI::App app{
        "tcntool: checks, dumps, re-saves, re-orders, compares and exports channel files (.TCN) of the "
        "satellite receiver, the way the editor opens and saves them, and writes a demo channel file.\n"
        "Exit codes: 0 success, 1 usage error, 2 file refused or not written."};
    app.require_subcommand(1);

    std::string checkPath;
    CLI::App* check = app.add_subcommand(
        "check",
        "Open FILE as the editor does; print each status text as 'status: <text>' and each message box "
        "as 'message: [<caption>] <text>'. Exit 0 when the file loads, 2 when it is refused.");
    check->add_option("FILE", checkPath, "channel file (.TCN)")->required();

    std::string dumpPath;
    CLI::App* dump = app.add_subcommand(
        "dump", "Open FILE as the editor does and print its satellites, transponders, services and favourite "
                "groups as one JSON object; a refused file prints {\"error\": N} and exits 2.");
    dump->add_option("FILE", dumpPath, "channel file (.TCN)")->required();

    std::string savePath;
    CLI::App* save = app.add_subcommand(
        "save",
        "Open FILE, then save it as NEW_<name> in the same folder, printing the status and message lines "
        "of both. Exit 0 when the new file was created, 2 otherwise.");
    save->add_option("FILE", savePath, "channel file (.TCN)")->required();

    std::string demoPath;
    bool full = false;
    CLI::App* demo = app.add_subcommand(
        "demo",
        "Write a demo channel file to OUT: real satellite positions, typical transponders, a few hundred "
        "services and five favourite groups; the same bytes on every run.");
    demo->add_flag("--full", full,
                   "fill every table to capacity (80 satellites, 3500 transponders, "
                   "5000 services, five groups of 200)");
    demo->add_option("OUT", demoPath, "file to write")->required();

    std::string likePath, reorderPath;
    bool json = false;
    CLI::App* reorder = app.add_subcommand(
        "reorder",
        "Open REFERENCE and FILE, put FILE's services and favourite groups in the order REFERENCE has them "
        "(after a rescan: counterparts found by satellite, frequency, polarity and service id, else by kind "
        "and name), and save FILE as NEW_<name> in its folder. Prints the lines of both opens and of the "
        "save, then a summary. Exit 0 when the new file was created, 2 otherwise.");
    reorder->add_option("--like", likePath, "the reference channel file (.TCN): the order to restore")
        ->required();
    reorder->add_option("FILE", reorderPath, "channel file (.TCN) to re-order")->required();
    reorder->add_flag("--json", json, "print only one JSON object with the summary");

    std::string exportPath, exportOut;
    bool csv = false;
    CLI::App* exporter = app.add_subcommand(
        "export",
        "Open FILE and write its services as CSV (RFC 4180, UTF-8): a header line, then one line per "
        "service in table order. Exit 2 when the file is refused or OUT cannot be written.");
    exporter->add_flag("--csv", csv, "CSV (the one format there is so far)")->required();
    exporter->add_option("FILE", exportPath, "channel file (.TCN)")->required();
    exporter->add_option("-o,--output", exportOut, "write to OUT instead of standard output");

    std::string diffOld, diffNew;
    bool diffJson = false;
    CLI::App* diff = app.add_subcommand(
        "diff",
        "Open OLD and NEW as the editor does and print what differs: satellites, transponders, services "
        "(added +, removed -, changed ~, moved >) and favourite groups, one line each, then a summary line. "
        "Exit 0 without differences, 1 with differences, 2 when a file is refused.");
    diff->add_option("OLD", diffOld, "channel file (.TCN) to compare against")->required();
    diff->add_option("NEW", diffNew, "channel file (.TCN) to compare")->required();
    diff->add_flag("--json", diffJson, "print one JSON object: the differences and the counts");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return tcn::kExitUsage;
    }

    try {
        if (check->parsed()) return tcn::RunCheck(checkPath, std::cout);
        if (dump->parsed()) return tcn::RunDump(dumpPath, std::cout);
        if (save->parsed()) return tcn::RunSave(savePath, std::cout);
        if (demo->parsed()) return tcn::RunDemo(demoPath, full, std::cout, std::cerr);
        if (reorder->parsed()) return tcn::RunReorder(likePath, reorderPath, json, std::cout);
        if (exporter->parsed()) return tcn::RunExport(exportPath, exportOut, std::cout, std::cerr);
        if (diff->parsed()) return tcn::RunDiff(diffOld, diffNew, diffJson, std::cout);
    } catch (const std::exception& e) {
        std::cout << std::flush;
        std::cerr << "tcntool: " << e.what() << '\n';
        return tcn::kExitRefused;
    }
    return tcn::kExitUsage;
}
