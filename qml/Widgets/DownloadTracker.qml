import QtQuick

// The record downloads of one page, by key, kept apart from the rows that start them: a
// new list rebuilds every row while its downloads run on, so the progress and the end
// of a download go to the page, and a row (the old one or its successor) shows the
// state of its key.
QtObject {
    id: tracker

    // key -> { progress (0..1), running, attempt }
    property var __states: ({})
    // Bumped on every change, so that bindings over progress() and isRunning() follow.
    property int revision: 0

    // A download of that key ended; success opens nothing by itself.
    signal finished(string key, bool success)

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
    // is a refusal or an immediate failure: it leaves a running download of the same
    // key running, only its bar drops to 0 until its next report.
    function start(key, launch, done) {
        const attempt = { within: true, answered: false };
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
                tracker.__set(key, state && state.running
                              ? { progress: 0, running: true, attempt: state.attempt }
                              : { progress: 0, running: false, attempt: attempt });
            } else if (state && state.attempt === attempt) {
                tracker.__set(key, { progress: 0, running: false, attempt: attempt });
            } else {
                return;
            }
            done(success, errorString);
            tracker.finished(key, success);
        });
        if (!attempt.answered)
            __set(key, { progress: 0, running: true, attempt: attempt });
        attempt.within = false;
    }
}
