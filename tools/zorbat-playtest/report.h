// The playtest's figures per stage and pilot: the table and the JSON file.
#pragma once
#include <cstdio>
#include <vector>

#include "run.h"

struct Summary {
    int stage = 0;
    int pilot = 0;
    int runs = 0;
    int clears = 0, deaths = 0, timeouts = 0;
    double aliveMedian = 0, aliveP10 = 0;  // seconds until game over (a whole run when it lived)
    double leftMedian = -1;                // seconds on the clock at a clear; -1 without clears
    double scoreMedian = -1;               // the total of a clear; -1 without clears
    int bestDefault = 0;                   // the stage's best default hiscore
    int clearsAbove = 0;                   // clears whose total beats it
    double killedMedian = 0;               // share of the enemies destroyed
    double damagePerRun[kDamageSources] = {};
};

// Groups the runs by stage and pilot, in the order first met.
std::vector<Summary> Summarise(const std::vector<RunResult>& runs);
void PrintTable(std::FILE* out, const std::vector<Summary>& rows);
bool WriteJson(const char* path, const std::vector<Summary>& rows, const std::vector<RunResult>& runs);
