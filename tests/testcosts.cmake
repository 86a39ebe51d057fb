# The running time of the longer tests, in seconds, as measured in a fresh clone's .ci/run on two
# cores beside stress-ng on the same cores (2026-12-11): CTest starts the costliest first, so
# that the short ones fill the other slot at the end instead of a long run started last
# holding up the suite alone. Included at the end of each folder that adds tests (a test's
# properties are set where it was added); the window-manager drags at one round, as CTest runs them.
set(zelka_test_costs
    e2e_wmdrags_openbox_two 203
    e2e_wmdrags_icewm_two 184
    e2e_wmdrags_icewm_one 120
    e2e_tst_realtimepage 206
    e2e_tst_cameratile 200
    e2e_wmdrags_openbox_one 95
    e2e_tst_sidepanel 129
    e2e_monitors_scaled 104
    e2e_tst_electronicmap 101
    e2e_tst_recordtimeaxis 94
    e2e_wmstacking_openbox 90
    e2e_wmstacking_icewm 90
    e2e_tst_devicetree 91
    e2e_monitors_moves_openbox 82
    e2e_tst_idlepages 79
    e2e_monitors_scaled_openbox 78
    e2e_monitors_popups_openbox 77
    e2e_tst_recordpage 74
    e2e_tst_realtimeview 71
    e2e_tst_alarmquery 70
    e2e_tst_homepage 67
    e2e_tst_videosquare 67
    e2e_tst_mainwindow 65
    e2e_monitors_popups 64
    e2e_monitors_moves 62
    qml_client_tst_homewindow_4k_at_200 61
    tst_playerlive 61
    qml_client_tst_homepage 52
    e2e_screens_4k_at_200 48
    qml_client_tst_login 48
    qml_client_tst_homewindow_scaled 48
    e2e_monitors_below_openbox 46
    e2e_tst_latestalarms 46
    tst_videoitem 44
    qml_client_tst_smallscreentexts_1366x768 43
    tst_playerfile 43
    qml_client_tst_devicetree 42
    qml_client_tst_homewindow 41
    qml_client_tst_smallscreentexts_960x540 40
    qml_client_tst_homewindow_720p 39
    e2e_monitors_above 39
    qml_client_tst_smallscreentexts_xga 37
    tst_videostress_gl 34
    e2e_tst_ptzwheel 34
    e2e_monitors_above_openbox 34
    qml_client_tst_recordlistview 32
    qml_client_tst_alarmquery 32
    qml_client_tst_cameratile 32
    qml_client_tst_smallscreentexts 32
    qml_client_tst_smallscreentexts_960x522 32
    e2e_monitors_below 30
    tst_videopicture_gl 29
    tst_videostress 27
    e2e_screens_1080p_at_200 26
    qml_client_tst_homewindow_twoscreens 25
    qml_client_tst_controlbuttons_4k_at_200 24
    qml_client_tst_cameralayoutview 24
    e2e_tst_login 24
    qml_client_tst_recordtimeaxis 22
    qml_gpu_tst_homebackdrop_scaled 21
    qml_client_tst_recordmanagepage 20
)
while(zelka_test_costs)
    list(POP_FRONT zelka_test_costs test_name test_cost)
    if(TEST ${test_name})
        set_tests_properties(${test_name} PROPERTIES COST ${test_cost})
    endif()
endwhile()
