// tcntool: the editor's load chain and writer on the command line, for scripts, tests and demonstrations.

#include "tool_commands.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    CLI::App app{
        "tcntool: checks, dumps, re-saves, re-orders, compares, exports and imports transponders into channel "
        "files (.TCN) of the "
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
    bool csv = false, satellitesXml = false;
    CLI::App* exporter = app.add_subcommand(
        "export",
        "Open FILE and write its services as CSV (RFC 4180, UTF-8: a header line, then one line per "
        "service in table order), or its satellites and transponders as satellites.xml. Exit 2 when the "
        "file is refused or OUT cannot be written.");
    CLI::Option* csvFlag = exporter->add_flag("--csv", csv, "the services as CSV");
    exporter->add_flag("--satellites-xml", satellitesXml,
                       "the satellites (ascending position, east positive) and their transponders as the "
                       "transponder lists receivers share")
        ->excludes(csvFlag);
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

    tcn::ImportRequest importRequest;
    CLI::App* importer = app.add_subcommand(
        "import-transponders",
        "Read the transponder list LIST (satellites.xml), open FILE, add the list's transponders to the "
        "satellite at POSITION, or to every satellite of FILE that a list satellite stands for (the same "
        "position and orientation, else the nearest within 0.3 degrees), and save FILE as NEW_<name> in its "
        "folder. An entry within 2 MHz of a transponder of the same polarity is present. Prints what was "
        "added, updated, differs, did not fit or was skipped, and why. Exit 0 when the new file was "
        "created, 1 for a bad POSITION, 2 when LIST or FILE is refused, nothing stands at POSITION or the "
        "save failed.");
    importer->add_option("--from", importRequest.listPath, "the transponder list (satellites.xml)")->required();
    importer->add_option("--satellite", importRequest.position,
                         "POSITION as the satellite grid shows it, e.g. 19.2E or 30.0W");
    importer->add_flag("--dvb-s2", importRequest.dvbS2, "import DVB-S2 entries too");
    importer->add_flag("--update", importRequest.update,
                       "give transponders already there the list's symbol rate and FEC");
    importer->add_option("FILE", importRequest.path, "channel file (.TCN)")->required();
    importer->add_flag("--json", importRequest.json, "print only one JSON object with every entry");

    try {
        app.parse(argc, argv);
        if (exporter->parsed() && !csv && !satellitesXml)
            throw CLI::RequiredError("--csv or --satellites-xml");
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
        if (exporter->parsed())
            return tcn::RunExport(exportPath, exportOut, std::cout, std::cerr,
                                  satellitesXml ? tcn::ExportFormat::SatellitesXml : tcn::ExportFormat::Csv);
        if (importer->parsed()) return tcn::RunImportTransponders(importRequest, std::cout, std::cerr);
        if (diff->parsed()) return tcn::RunDiff(diffOld, diffNew, diffJson, std::cout);
    } catch (const std::exception& e) {
        std::cout << std::flush;
        std::cerr << "tcntool: " << e.what() << '\n';
        return tcn::kExitRefused;
    }
    return tcn::kExitUsage;
}
