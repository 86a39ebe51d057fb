import QtQuick

// The record downloads of one page, by key, kept apart from the rows that start them: a
// new list rebuilds every row while its downloads run on, so the progress and the end
// of a download go to the page, and a row (the old one or its successor) shows the
// state of its key. Each running download has an owner, the row's record or alarm that
// started it: two rows may share a key (the API client knows a download by its file
// name), and only the owner may stop it.
QtObject {
    id: tracker

    // key -> { progress (0..1), running, attempt, owner }
    property var __states: ({})
    // Bumped on every change, so that bindings over progress(), isRunning() and owns()
    // follow.
    property int revision: 0

    // A download of that key, asked for by `owner`, ended (a refusal too); success opens
    // nothing by itself.
    signal finished(string key, string owner, bool success)

    function progress(key) {
        revision;
        const state = __states[key];
        return state ? state.progress : 0;
    }

    function isRunning(key) {
        revision;
        const state = __states[key];
        return state ? state.running : false;
    }

    // Whether `owner` started the download of `key` that is running now.
    function owns(key, owner) {
        revision;
        const state = __states[key];
        return state ? state.running && state.owner === owner : false;
    }

    // A total of 0 or less means the length is not announced: nothing to measure by.
    function fraction(received, total) {
        return total > 0 ? Math.max(0, Math.min(1, received / total)) : 0;
    }

    // file: address of a local folder for the desktop's opener; every path segment is
    // encoded, so that "#" or "%" in a folder name stays part of the path.
    function folderUrl(path) {
        let slashed = String(path).replace(/\\/g, "/");
        if (!slashed.startsWith("/"))
            slashed = "/" + slashed;
        return "file://" + slashed.split("/").map(part => encodeURIComponent(part).replace(/%3A/gi, ":")).join("/");
    }

    function __set(key, state) {
        __states[key] = state;
        ++revision;
    }

    // launch(progressCallback, finishedCallback) asks the API client for the download;
    // done(success, errorString) hears its end at page level. An answer within the call
    // is a refusal (a download of that file is running) or an immediate failure: it
    // leaves a running download of the same key running, with its owner, only its bar
    // drops to 0 until its next report. Returns "started", "refused" or "failed".
    function start(key, owner, launch, done) {
        const attempt = { within: true, answered: false, refused: false };
        launch((received, total) => {
            const state = tracker.__states[key];
            if (state && state.attempt === attempt) {
                state.progress = tracker.fraction(received, total);
                ++tracker.revision;
            }
        }, (success, errorString) => {
            attempt.answered = true;
            const state = tracker.__states[key];
            if (attempt.within) {
                const running = state && state.running;
                attempt.refused = !success && (running || errorString === "录像正在下载");
                tracker.__set(key, running
                              ? { progress: 0, running: true, attempt: state.attempt, owner: state.owner }
                              : { progress: 0, running: false, attempt: attempt, owner: owner });
            } else if (state && state.attempt === attempt) {
                tracker.__set(key, { progress: 0, running: false, attempt: attempt, owner: owner });
            } else {
                return;
            }
            done(success, errorString);
            tracker.finished(key, owner, success);
        });
        attempt.within = false;
        if (!attempt.answered) {
            __set(key, { progress: 0, running: true, attempt: attempt, owner: owner });
            return "started";
        }
        return attempt.refused ? "refused" : "failed";
    }
}
